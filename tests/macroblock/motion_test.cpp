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

// A source whose samples repeat a 2x2 pattern a b / c d, so every prediction
// sample sees the same four neighbours at a half-sample position.
Plane patternPlane(int a, int b, int c, int d) {
    Plane p;
    for (int y = 0; y < planeLines; ++y) {
        for (int x = 0; x < stride; ++x) {
            p.bytes[y * stride + x] = static_cast<std::uint8_t>(y % 2 ? (x % 2 ? d : c) : (x % 2 ? b : a));
        }
    }
    return p;
}

struct RoundingCase {
    int a, b, c, d;
    int bothHalves;    // (a + b + c + d + 2) >> 2
    int horizontal;    // (a + b + 1) >> 1
    int vertical;      // (a + c + 1) >> 1
};

// Chosen so that an average of averages, or truncating instead of rounding up,
// gives a different byte.
const RoundingCase roundingCases[] = {
    {0, 1, 0, 0, 0, 1, 0},
    {0, 1, 1, 1, 1, 1, 1},
    {254, 255, 255, 255, 255, 255, 255},
    {0, 0, 0, 1, 0, 0, 0},
    {255, 255, 255, 0, 191, 255, 255},
    {1, 2, 2, 2, 2, 2, 2},
    {100, 101, 101, 102, 101, 101, 101},
    {10, 12, 12, 13, 12, 11, 11},
};

TEST(Motion, HalfSampleRoundingIsExactAtEveryTier) {
    for (const RoundingCase& rc : roundingCases) {
        const Plane src = patternPlane(rc.a, rc.b, rc.c, rc.d);
        const int expected[4] = {rc.a, rc.horizontal, rc.vertical, rc.bothHalves};
        for (KernelTier tier : test::runnableTiers()) {
            const KernelSlots& s = kernelSlotsFor(tier);
            for (int index = 0; index < 4; ++index) {
                for (auto table : {s.predictWide, s.predictNarrow}) {
                    Plane dst;
                    table[index](dst.bytes.data(), src.bytes.data(), stride, 8);
                    ASSERT_EQ(dst.bytes[0], expected[index])
                        << test::tierName(tier) << " index " << index << " pattern " << rc.a << " " << rc.b << " "
                        << rc.c << " " << rc.d;
                    ASSERT_EQ(dst.bytes[stride * 6 + 6], expected[index]) << test::tierName(tier);
                }
            }
        }
    }
}

TEST(Motion, TwoSourceAverageRoundsUpAfterEachSourceIsPredicted) {
    // Both halves on both sources: p = (0 + 1 + 0 + 0 + 2) >> 2 = 0 and
    // q = (1 + 1 + 1 + 2 + 2) >> 2 = 1, so the result is (0 + 1 + 1) >> 1 = 1.
    const Plane src1 = patternPlane(0, 1, 0, 0);
    const Plane src2 = patternPlane(1, 1, 1, 2);
    // Full samples: (7 + 8 + 1) >> 1 = 8.
    const Plane full1 = patternPlane(7, 7, 7, 7);
    const Plane full2 = patternPlane(8, 8, 8, 8);
    for (KernelTier tier : test::runnableTiers()) {
        const KernelSlots& s = kernelSlotsFor(tier);
        for (auto table : {s.averageWide, s.averageNarrow}) {
            Plane dst;
            table[15](src1.bytes.data(), src2.bytes.data(), dst.bytes.data(), stride, 4);
            EXPECT_EQ(dst.bytes[0], 1) << test::tierName(tier);
            table[0](full1.bytes.data(), full2.bytes.data(), dst.bytes.data(), stride, 4);
            EXPECT_EQ(dst.bytes[0], 8) << test::tierName(tier);
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
