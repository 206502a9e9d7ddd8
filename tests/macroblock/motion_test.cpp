#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "engine/macroblock/kernel_slots.h"
#include "tests/macroblock/kernel_tiers_for_test.h"

namespace tl {
namespace {

// A reference plane with a guard band: kernels read up to one column and one
// line beyond the block, and the destination must change only inside it.
constexpr int stride = 53;  // odd, so rows start at every alignment
constexpr int planeLines = 24;
constexpr int planeSize = stride * planeLines;

struct Plane {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(planeSize);
};

enum class Fill { Random, Extremes, NearExtremes };

Plane makePlane(std::mt19937& rng, Fill fill) {
    Plane p;
    for (std::uint8_t& b : p.bytes) {
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
// positions), each tier against the plain one.
TEST(Motion, KernelsOfEveryTierMatchPlain) {
    const KernelSlots& plain = kernelSlotsFor(KernelTier::Plain);
    std::mt19937 rng(5);
    for (Fill fill : fills) {
        for (int round = 0; round < 12; ++round) {
            const Plane src1 = makePlane(rng, fill);
            const Plane src2 = makePlane(rng, fill);
            const Plane before = makePlane(rng, Fill::Random);
            for (int kernel = 0; kernel < 2 * 20; ++kernel) {
                const bool wide = kernel >= 20;
                const int index = kernel % 20 < 4 ? kernel % 20 : kernel % 20 - 4;
                const bool average = kernel % 20 >= 4;
                for (int height : heights) {
                    for (int offset : offsets) {
                        auto call = [&](const KernelSlots& s, Plane& dst) {
                            std::uint8_t* d = dst.bytes.data() + offset;
                            const std::uint8_t* a = src1.bytes.data() + offset;
                            if (average)
                                (wide ? s.averageWide : s.averageNarrow)[index](a, src2.bytes.data() + offset + 1, d,
                                                                                stride, height);
                            else
                                (wide ? s.predictWide : s.predictNarrow)[index](d, a, stride, height);
                        };
                        Plane expected = before;
                        call(plain, expected);
                        for (KernelTier tier : test::runnableTiers()) {
                            Plane got = before;
                            call(kernelSlotsFor(tier), got);
                            ASSERT_EQ(got.bytes, expected.bytes)
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

TEST(Motion, KernelsWriteExactlyTheirBlock) {
    std::mt19937 rng(8);
    const Plane src = makePlane(rng, Fill::Random);
    const Plane before = makePlane(rng, Fill::Random);
    for (KernelTier tier : test::runnableTiers()) {
        const KernelSlots& s = kernelSlotsFor(tier);
        for (int wide = 0; wide < 2; ++wide) {
            const int width = wide ? 16 : 8;
            for (int height : heights) {
                for (int index = 0; index < 16; ++index) {
                    Plane predicted = before, averaged = before;
                    (wide ? s.predictWide : s.predictNarrow)[index % 4](predicted.bytes.data() + stride + 2,
                                                                        src.bytes.data(), stride, height);
                    (wide ? s.averageWide : s.averageNarrow)[index](src.bytes.data(), src.bytes.data() + 3,
                                                                    averaged.bytes.data() + stride + 2, stride,
                                                                    height);
                    for (int i = 0; i < planeSize; ++i) {
                        const int y = i / stride - 1, x = i % stride - 2;
                        if (y >= 0 && y < height && x >= 0 && x < width) continue;
                        ASSERT_EQ(predicted.bytes[i], before.bytes[i]) << test::tierName(tier) << " at " << i;
                        ASSERT_EQ(averaged.bytes[i], before.bytes[i]) << test::tierName(tier) << " at " << i;
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace tl
