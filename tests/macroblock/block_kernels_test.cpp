#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
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

struct Picture {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(stride * pictureLines);
};

std::int16_t residual(std::mt19937& rng, int kind) {
    static const std::int16_t extremes[] = {-32768, 32767, -256, 255, -129, 128, -128, 127, 0, -1};
    switch (kind) {
    case 0: return static_cast<std::int16_t>(static_cast<int>(rng() % 600) - 300);
    case 1: return static_cast<std::int16_t>(rng());
    default: return extremes[rng() % 10];
    }
}

// Each store kernel, called at column offset 3 of line 1, through a uniform
// signature over the four consecutive blocks.
struct StoreKernel {
    const char* name;
    int lines;
    void (*call)(const KernelSlots& s, std::uint8_t* dst, const std::int16_t* blocks);
};

const StoreKernel storeKernels[] = {
    {"intraStore16Frame", 16, [](const KernelSlots& s, std::uint8_t* d, const std::int16_t* b) { s.intraStore16Frame(d, stride, b); }},
    {"intraStore16Field", 16, [](const KernelSlots& s, std::uint8_t* d, const std::int16_t* b) { s.intraStore16Field(d, stride, b); }},
    {"addResidual16Frame", 16, [](const KernelSlots& s, std::uint8_t* d, const std::int16_t* b) { s.addResidual16Frame(d, stride, b); }},
    {"addResidual16Field", 16, [](const KernelSlots& s, std::uint8_t* d, const std::int16_t* b) { s.addResidual16Field(d, stride, b); }},
    {"addResidual8", 8, [](const KernelSlots& s, std::uint8_t* d, const std::int16_t* b) { s.addResidual8(d, stride, b); }},
    {"intraStore8", 8, [](const KernelSlots& s, std::uint8_t* d, const std::int16_t* b) { s.intraStore8(d, stride, b); }},
    {"intraStore8x16Frame", 16, [](const KernelSlots& s, std::uint8_t* d, const std::int16_t* b) { s.intraStore8x16Frame(d, stride, b, b + 128); }},
    {"intraStore8x16Field", 16, [](const KernelSlots& s, std::uint8_t* d, const std::int16_t* b) { s.intraStore8x16Field(d, stride, b, b + 128); }},
};

TEST(BlockStore, EveryTierMatchesPlainIncludingSaturation) {
    std::mt19937 rng(11);
    for (const StoreKernel& k : storeKernels) {
        for (int round = 0; round < 60; ++round) {
            Blocks blocks;
            for (std::int16_t& r : blocks.v) r = residual(rng, round % 3);
            Picture before;
            for (std::uint8_t& p : before.bytes) p = round % 2 ? static_cast<std::uint8_t>(rng()) : (rng() % 2 ? 255 : 0);
            Picture expected = before;
            k.call(kernelSlotsFor(KernelTier::Plain), expected.bytes.data() + stride + 3, blocks.v);
            for (KernelTier tier : test::runnableTiers()) {
                Picture got = before;
                k.call(kernelSlotsFor(tier), got.bytes.data() + stride + 3, blocks.v);
                ASSERT_EQ(got.bytes, expected.bytes) << test::tierName(tier) << " " << k.name << " round " << round;
            }
        }
    }
}

// Sample arithmetic of the reference: intra centres on 128, adds saturate.
TEST(BlockStore, SamplesSaturateToByteRange) {
    struct Case {
        std::uint8_t prediction;
        std::int16_t residual;
        std::uint8_t intra;
        std::uint8_t added;
    };
    const Case cases[] = {
        {0, 0, 128, 0},           {200, 0, 128, 200},        {200, 56, 184, 255},   {200, 55, 183, 255},
        {200, 54, 182, 254},      {10, -11, 117, 0},         {10, -10, 118, 0},     {10, -9, 119, 1},
        {0, 127, 255, 127},       {0, 128, 255, 128},        {255, -128, 0, 127},   {255, -129, 0, 126},
        {255, 32767, 255, 255},   {0, -32768, 0, 0},         {255, -32768, 0, 0},   {128, 300, 255, 255},
    };
    for (KernelTier tier : test::runnableTiers()) {
        const KernelSlots& s = kernelSlotsFor(tier);
        for (const Case& c : cases) {
            Blocks b;
            for (std::int16_t& r : b.v) r = c.residual;
            Picture intra, added;
            for (std::uint8_t& p : added.bytes) p = c.prediction;
            s.intraStore16Frame(intra.bytes.data(), stride, b.v);
            s.addResidual16Frame(added.bytes.data(), stride, b.v);
            EXPECT_EQ(intra.bytes[stride * 15 + 15], c.intra) << test::tierName(tier) << " residual " << c.residual;
            EXPECT_EQ(added.bytes[stride * 15 + 15], c.added)
                << test::tierName(tier) << " prediction " << int{c.prediction} << " residual " << c.residual;
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

TEST(ClearBlocks, EveryTierZeroesExactlyItsBlocks) {
    for (KernelTier tier : test::runnableTiers()) {
        const KernelSlots& s = kernelSlotsFor(tier);
        alignas(16) std::int16_t buffer[6 * 64];
        for (int four = 0; four < 2; ++four) {
            std::fill(std::begin(buffer), std::end(buffer), std::int16_t{-7});
            if (four) {
                s.clearFourBlocks(buffer + 64);
            } else {
                s.clearBlock(buffer + 64);
            }
            const int end = four ? 5 * 64 : 2 * 64;
            for (int i = 0; i < 6 * 64; ++i) {
                ASSERT_EQ(buffer[i], i >= 64 && i < end ? 0 : -7) << test::tierName(tier) << " at " << i;
            }
        }
    }
}

}  // namespace
}  // namespace tl
