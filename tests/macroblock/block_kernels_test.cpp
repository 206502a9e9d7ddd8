// The transform stores and matrix scaling of every tier against the plain
// ones, and the choice of the active tier.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/macroblock/kernel_slots.h"
#include "tests/macroblock/kernel_tiers_for_test.h"

namespace tl {
namespace {

struct alignas(16) Blocks {
    std::int16_t v[4 * 64];
};

constexpr int stride = 40;  // not a multiple of 16, so rows start at several alignments
constexpr int pictureLines = 20;

using Bytes = std::vector<std::uint8_t>;

std::int16_t coefficient(std::mt19937& rng, int kind) {
    static const std::int16_t extremes[] = {-32768, 32767, -2048, 2047, -256, 255, 1, -1, 0, 0};
    switch (kind) {
    case 0: return rng() % 4 ? 0 : static_cast<std::int16_t>(static_cast<int>(rng() % 600) - 300);
    case 1: return static_cast<std::int16_t>(rng());
    default: return extremes[rng() % 10];
    }
}

// Each transform store (the inverse DCT straight into the picture), called at
// column offset 3 of line 1 over four consecutive blocks. What the plain stores
// write is decided by the corpus, whose pictures are all built by them.
using StoreFn = void (*)(std::uint8_t* dst, int stride, std::int16_t* blocks);
using PairStoreFn = void (*)(std::uint8_t* dst, int stride, std::int16_t* upper, std::int16_t* lower);
struct StoreKernel {
    const char* name;
    StoreFn KernelSlots::*store;
    PairStoreFn KernelSlots::*pairStore;  // upper and lower block: blocks 0 and 2 of the four
    void call(const KernelSlots& s, std::uint8_t* dst, std::int16_t* b) const {
        if (store) (s.*store)(dst, stride, b);
        else (s.*pairStore)(dst, stride, b, b + 128);
    }
};

const StoreKernel storeKernels[] = {
    {"intraStore16Frame", &KernelSlots::intraStore16Frame, nullptr},
    {"intraStore16Field", &KernelSlots::intraStore16Field, nullptr},
    {"addResidual16Frame", &KernelSlots::addResidual16Frame, nullptr},
    {"addResidual16Field", &KernelSlots::addResidual16Field, nullptr},
    {"addResidual8", &KernelSlots::addResidual8, nullptr},
    {"intraStore8", &KernelSlots::intraStore8, nullptr},
    {"intraStore8x16Frame", nullptr, &KernelSlots::intraStore8x16Frame},
    {"intraStore8x16Field", nullptr, &KernelSlots::intraStore8x16Field},
};

TEST(TransformStore, EveryTierWritesThePlainPictureAndLeavesThePlainBlocks) {
    std::mt19937 rng(11);
    for (const StoreKernel& k : storeKernels) {
        for (int round = 0; round < 90; ++round) {
            Blocks coefficients;
            for (std::int16_t& c : coefficients.v) c = coefficient(rng, round % 3);
            if (round % 5 == 0) {
                // DC (and mismatch) only: the shortcut of the vector transforms.
                for (int b = 0; b < 4; ++b) {
                    std::fill_n(coefficients.v + 64 * b + 1, 63, std::int16_t{0});
                    coefficients.v[64 * b + 63] = static_cast<std::int16_t>(rng() % 2);
                }
            }
            Bytes before(stride * pictureLines);
            for (std::uint8_t& p : before) p = round % 2 ? static_cast<std::uint8_t>(rng()) : (rng() % 2 ? 255 : 0);
            Bytes expected = before;
            Blocks expectedBlocks = coefficients;
            k.call(kernelSlotsFor(KernelTier::Plain), expected.data() + stride + 3, expectedBlocks.v);
            for (KernelTier tier : test::runnableTiers()) {
                Bytes got = before;
                Blocks blocks = coefficients;
                k.call(kernelSlotsFor(tier), got.data() + stride + 3, blocks.v);
                ASSERT_EQ(got, expected) << test::tierName(tier) << " " << k.name << " round " << round;
                ASSERT_TRUE(std::equal(blocks.v, blocks.v + 4 * 64, expectedBlocks.v))
                    << test::tierName(tier) << " " << k.name << " round " << round;
            }
        }
    }
}

TEST(ScaleMatrix, EveryTierKeepsTheLow16BitsOfEachProduct) {
    std::mt19937 rng(12);
    for (int scale : {1, 2, 31, 62, 112, 255, 1000, 70000}) {
        alignas(16) std::uint16_t weights[64];
        for (int i = 0; i < 64; ++i) weights[i] = static_cast<std::uint16_t>(i < 8 ? 65535 - i : rng() % 256);
        for (KernelTier tier : test::runnableTiers()) {
            alignas(16) std::uint16_t got[64];
            kernelSlotsFor(tier).scaleMatrix(got, weights, scale);
            for (int i = 0; i < 64; ++i) {
                ASSERT_EQ(got[i], static_cast<std::uint16_t>(weights[i] * static_cast<std::uint32_t>(scale)))
                    << test::tierName(tier) << " scale " << scale << " at " << i;
            }
        }
    }
}

TEST(KernelSelection, ForcingATierSwitchesTheActiveSlotsAndIsClamped) {
    const KernelTier detected = detectedKernelTier();
    for (int t = 0; t <= static_cast<int>(detected); ++t) {
        const auto tier = static_cast<KernelTier>(t);
        forceKernelTier(tier);
        EXPECT_EQ(activeKernelTier(), tier);
        EXPECT_EQ(&kernelSlots(), &kernelSlotsFor(tier));
    }
    forceKernelTier(KernelTier::AVX2);  // the highest tier there is
    EXPECT_EQ(activeKernelTier(), detected);
    EXPECT_EQ(&kernelSlots(), &kernelSlotsFor(detected));
}

}  // namespace
}  // namespace tl
