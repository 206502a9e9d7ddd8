// The motion kernels of every tier against the plain ones.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "engine/macroblock/kernel_slots.h"
#include "tests/macroblock/kernel_tiers_for_test.h"

namespace tl {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A reference plane with a guard band: kernels read up to one column and one
// line beyond the block, and the destination must change only inside it.
constexpr int stride = 53;  // odd, so rows start at every alignment
constexpr int planeLines = 24;
constexpr int planeSize = stride * planeLines;

enum class Fill { Random, Extremes, NearExtremes };

Bytes makePlane(std::mt19937& rng, Fill fill) {
    Bytes p(planeSize);
    for (std::uint8_t& b : p) {
        switch (fill) {
        case Fill::Random: b = static_cast<std::uint8_t>(rng()); break;
        case Fill::Extremes: b = rng() % 2 ? 255 : 0; break;
        case Fill::NearExtremes: b = static_cast<std::uint8_t>(rng() % 2 ? 255 - rng() % 3 : rng() % 3); break;
        }
    }
    return p;
}

const Fill fills[] = {Fill::Random, Fill::Extremes, Fill::NearExtremes};
const int heights[] = {16, 8, 4};
const int offsets[] = {0, 1, 7, 15};  // start column within the first line

// One source (four half-sample positions) and two sources (sixteen pairs of
// positions), each tier against the plain one over the whole plane; the plain
// one changes nothing outside its block.
TEST(Motion, KernelsOfEveryTierMatchPlainAndWriteOnlyTheirBlock) {
    const KernelSlots& plain = kernelSlotsFor(KernelTier::Plain);
    std::mt19937 rng(5);
    for (Fill fill : fills) {
        for (int round = 0; round < 12; ++round) {
            const Bytes src1 = makePlane(rng, fill);
            const Bytes src2 = makePlane(rng, fill);
            const Bytes before = makePlane(rng, Fill::Random);
            for (int kernel = 0; kernel < 2 * 20; ++kernel) {
                const bool wide = kernel >= 20;
                const int index = kernel % 20 < 4 ? kernel % 20 : kernel % 20 - 4;
                const bool average = kernel % 20 >= 4;
                for (int height : heights) {
                    for (int offset : offsets) {
                        auto call = [&](const KernelSlots& s, Bytes& dst) {
                            std::uint8_t* d = dst.data() + offset;
                            const std::uint8_t* a = src1.data() + offset;
                            if (average)
                                (wide ? s.averageWide : s.averageNarrow)[index](a, src2.data() + offset + 1, d,
                                                                                stride, height);
                            else
                                (wide ? s.predictWide : s.predictNarrow)[index](d, a, stride, height);
                        };
                        Bytes expected = before;
                        call(plain, expected);
                        for (int i = 0; i < planeSize; ++i) {
                            const int y = i / stride, x = i % stride - offset;
                            const bool inside = y < height && x >= 0 && x < (wide ? 16 : 8);
                            ASSERT_TRUE(inside || expected[i] == before[i]) << "outside the block at " << i;
                        }
                        for (KernelTier tier : test::runnableTiers()) {
                            Bytes got = before;
                            call(kernelSlotsFor(tier), got);
                            ASSERT_EQ(got, expected)
                                << test::tierName(tier) << (wide ? " wide" : " narrow")
                                << (average ? " average " : " predict ") << index << " height " << height
                                << " offset " << offset;
                        }
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace tl
