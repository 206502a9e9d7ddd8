#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "engine/macroblock/kernel_slots.h"
#include "tests/macroblock/kernel_tiers_for_test.h"

namespace tl {
namespace {

constexpr int maxBlocks = 8;

struct alignas(16) Blocks {
    std::int16_t v[maxBlocks * 64];
};

TEST(Idct, DcOfEightTimesValueGivesValueEverywhere) {
    for (KernelTier tier : test::runnableTiers()) {
        // Beyond about +-511 the row pass saturates at 16 bits.
        for (int v : {0, 1, -1, 7, -8, 100, -100, 255, -256, 510, -512}) {
            Blocks b{};
            b.v[0] = static_cast<std::int16_t>(8 * v);
            kernelSlotsFor(tier).idct(b.v, 1);
            for (int i = 0; i < 64; ++i) {
                ASSERT_EQ(b.v[i], v) << test::tierName(tier) << " dc " << 8 * v << " at " << i;
            }
        }
    }
}

// Coefficient generators covering the ranges a stream produces and the ones
// that only hit the 32-bit wrap and 16-bit saturation paths.
struct CoefficientCase {
    const char* name;
    std::function<std::int16_t(std::mt19937&, int index)> draw;
};

std::int16_t drawIn(std::mt19937& rng, int low, int high) {
    return static_cast<std::int16_t>(std::uniform_int_distribution<int>(low, high)(rng));
}

const CoefficientCase coefficientCases[] = {
    {"sparse dequantised", [](std::mt19937& rng, int) -> std::int16_t {
         return rng() % 6 == 0 ? drawIn(rng, -2048, 2047) : 0;
     }},
    {"dense dequantised", [](std::mt19937& rng, int) { return drawIn(rng, -2048, 2047); }},
    {"low frequencies", [](std::mt19937& rng, int i) -> std::int16_t {
         return (i % 8) + (i / 8) < 4 ? drawIn(rng, -4096, 4095) : 0;
     }},
    {"full 16-bit range", [](std::mt19937& rng, int) { return drawIn(rng, -32768, 32767); }},
    {"extremes", [](std::mt19937& rng, int) -> std::int16_t {
         static const std::int16_t values[] = {-32768, 32767, 0, -32767, 16384, -16384, 1, -1};
         return values[rng() % 8];
     }},
    {"large dc with ac", [](std::mt19937& rng, int i) -> std::int16_t {
         return i == 0 ? drawIn(rng, -32768, 32767) : (rng() % 4 == 0 ? drawIn(rng, -600, 600) : 0);
     }},
};

TEST(Idct, EveryTierMatchesPlainIncludingSaturation) {
    const KernelSlots& plain = kernelSlotsFor(KernelTier::Plain);
    std::mt19937 rng(1234);
    for (const CoefficientCase& c : coefficientCases) {
        for (int round = 0; round < 300; ++round) {
            const int count = 1 + round % maxBlocks;
            Blocks input{};
            for (int i = 0; i < count * 64; ++i) input.v[i] = c.draw(rng, i % 64);
            Blocks expected = input;
            plain.idct(expected.v, count);
            for (KernelTier tier : test::runnableTiers()) {
                Blocks got = input;
                kernelSlotsFor(tier).idct(got.v, count);
                ASSERT_EQ(0, std::memcmp(got.v, expected.v, sizeof got.v))
                    << test::tierName(tier) << ", " << c.name << ", round " << round;
            }
        }
    }
}

TEST(Idct, BatchTransformsEachBlockAsAlone) {
    std::mt19937 rng(99);
    Blocks batch{};
    for (int i = 0; i < maxBlocks * 64; ++i) batch.v[i] = drawIn(rng, -2048, 2047);
    for (KernelTier tier : test::runnableTiers()) {
        Blocks together = batch;
        kernelSlotsFor(tier).idct(together.v, maxBlocks);
        for (int n = 0; n < maxBlocks; ++n) {
            Blocks alone{};
            std::memcpy(alone.v, batch.v + 64 * n, 128);
            kernelSlotsFor(tier).idct(alone.v, 1);
            ASSERT_EQ(0, std::memcmp(alone.v, together.v + 64 * n, 128)) << test::tierName(tier) << " block " << n;
        }
    }
}

// The fixed-point transform approximates the exact one closely enough that a
// wrong constant, row table or sign shows up as a large error here. The inputs
// keep the outputs well inside the range where no intermediate saturates.
TEST(Idct, StaysWithinOneOfTheExactTransform) {
    const double pi = std::acos(-1.0);
    double basis[8][8];
    for (int x = 0; x < 8; ++x) {
        for (int u = 0; u < 8; ++u) {
            basis[x][u] = (u == 0 ? std::sqrt(0.125) : 0.5) * std::cos((2 * x + 1) * u * pi / 16);
        }
    }
    std::mt19937 rng(7);
    long long errorSum = 0, samples = 0;
    for (int round = 0; round < 2000; ++round) {
        Blocks b{};
        for (int i = 0; i < 64; ++i) {
            if (rng() % 8 == 0) b.v[i] = drawIn(rng, -250, 250);
        }
        const Blocks input = b;
        kernelSlotsFor(KernelTier::Plain).idct(b.v, 1);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                double exact = 0;
                for (int v = 0; v < 8; ++v) {
                    for (int u = 0; u < 8; ++u) exact += basis[y][v] * basis[x][u] * input.v[8 * v + u];
                }
                const int error = b.v[8 * y + x] - static_cast<int>(std::lround(exact));
                ASSERT_LE(std::abs(error), 1) << "round " << round << " at " << y << "," << x;
                errorSum += error;
                ++samples;
            }
        }
    }
    EXPECT_LT(std::abs(static_cast<double>(errorSum) / samples), 0.02);
}

}  // namespace
}  // namespace tl
