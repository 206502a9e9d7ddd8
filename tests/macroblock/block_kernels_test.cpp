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

std::int16_t coefficient(std::mt19937& rng, int kind) {
    static const std::int16_t extremes[] = {-32768, 32767, -2048, 2047, -256, 255, 1, -1, 0, 0};
    switch (kind) {
    case 0: return rng() % 4 ? 0 : static_cast<std::int16_t>(static_cast<int>(rng() % 600) - 300);
    case 1: return static_cast<std::int16_t>(rng());
    default: return extremes[rng() % 10];
    }
}

// Where one block of a store goes: its column, first line and line step.
struct Place {
    int column, line, step;
};

// Each transform store, called at column offset 3 of line 1, through a uniform
// signature over the four consecutive blocks, with where its blocks go.
struct StoreKernel {
    const char* name;
    bool intra;
    int blockCount;
    Place places[4];
    void (*call)(const KernelSlots& s, std::uint8_t* dst, std::int16_t* blocks);
};

const StoreKernel storeKernels[] = {
    {"intraStore16Frame", true, 4, {{0, 0, 1}, {8, 0, 1}, {0, 8, 1}, {8, 8, 1}},
     [](const KernelSlots& s, std::uint8_t* d, std::int16_t* b) { s.intraStore16Frame(d, stride, b); }},
    {"intraStore16Field", true, 4, {{0, 0, 2}, {8, 0, 2}, {0, 1, 2}, {8, 1, 2}},
     [](const KernelSlots& s, std::uint8_t* d, std::int16_t* b) { s.intraStore16Field(d, stride, b); }},
    {"addResidual16Frame", false, 4, {{0, 0, 1}, {8, 0, 1}, {0, 8, 1}, {8, 8, 1}},
     [](const KernelSlots& s, std::uint8_t* d, std::int16_t* b) { s.addResidual16Frame(d, stride, b); }},
    {"addResidual16Field", false, 4, {{0, 0, 2}, {8, 0, 2}, {0, 1, 2}, {8, 1, 2}},
     [](const KernelSlots& s, std::uint8_t* d, std::int16_t* b) { s.addResidual16Field(d, stride, b); }},
    {"addResidual8", false, 1, {{0, 0, 1}},
     [](const KernelSlots& s, std::uint8_t* d, std::int16_t* b) { s.addResidual8(d, stride, b); }},
    {"intraStore8", true, 1, {{0, 0, 1}},
     [](const KernelSlots& s, std::uint8_t* d, std::int16_t* b) { s.intraStore8(d, stride, b); }},
    // Upper and lower block: blocks 0 and 2 of the four.
    {"intraStore8x16Frame", true, 4, {{0, 0, 1}, {-1, 0, 0}, {0, 8, 1}, {-1, 0, 0}},
     [](const KernelSlots& s, std::uint8_t* d, std::int16_t* b) { s.intraStore8x16Frame(d, stride, b, b + 128); }},
    {"intraStore8x16Field", true, 4, {{0, 0, 2}, {-1, 0, 0}, {0, 1, 2}, {-1, 0, 0}},
     [](const KernelSlots& s, std::uint8_t* d, std::int16_t* b) { s.intraStore8x16Field(d, stride, b, b + 128); }},
};

// What a transform store must write: the in-place inverse DCT (checked on its
// own against a full transform), then intra samples centred on 128 and residuals
// added to the prediction, both saturating to 0..255.
Picture expectedStore(const StoreKernel& k, const Blocks& coefficients, const Picture& before) {
    Blocks residuals = coefficients;
    kernelSlotsFor(KernelTier::Plain).idct(residuals.v, 4);
    Picture out = before;
    for (int b = 0; b < k.blockCount; ++b) {
        const Place& at = k.places[b];
        if (at.column < 0) continue;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                std::uint8_t& sample = out.bytes[std::size_t((1 + at.line + y * at.step) * stride + 3 + at.column + x)];
                const int r = residuals.v[64 * b + 8 * y + x];
                sample = static_cast<std::uint8_t>(std::clamp(k.intra ? r + 128 : sample + r, 0, 255));
            }
        }
    }
    return out;
}

TEST(TransformStore, EveryTierIsTheInverseDctThenTheSampleRuleAndLeavesZeros) {
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
            Picture before;
            for (std::uint8_t& p : before.bytes) p = round % 2 ? static_cast<std::uint8_t>(rng()) : (rng() % 2 ? 255 : 0);
            const Picture expected = expectedStore(k, coefficients, before);
            for (KernelTier tier : test::runnableTiers()) {
                Picture got = before;
                Blocks blocks = coefficients;
                k.call(kernelSlotsFor(tier), got.bytes.data() + stride + 3, blocks.v);
                ASSERT_EQ(got.bytes, expected.bytes) << test::tierName(tier) << " " << k.name << " round " << round;
                for (int b = 0; b < 4; ++b) {
                    const bool used = k.places[b].column >= 0 && b < k.blockCount;
                    for (int i = 0; i < 64; ++i) {
                        ASSERT_EQ(blocks.v[64 * b + i], used ? 0 : coefficients.v[64 * b + i])
                            << test::tierName(tier) << " " << k.name << " block " << b;
                    }
                }
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

}  // namespace
}  // namespace tl
