// The inverse DCT of every tier, the plain one included, against a transform
// written out in full with no shortcut at all (the kernels skip work on sparse
// blocks: no coefficients in the lower four rows, the DC coefficient alone,
// nothing between the first and the last row, nothing right of column 3).
// The transform's constants themselves are decided by the corpus, whose digests
// come from the same integer transform in another decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "engine/macroblock/kernel_slots.h"
#include "tests/macroblock/kernel_tiers_for_test.h"

namespace tl {
namespace {

constexpr int batchBlocks = 16;

struct alignas(16) Batch {
    std::int16_t v[batchBlocks * 64];
};

std::int16_t sat16(std::int64_t v) {
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, -32768, 32767));
}
std::int32_t wrap32(std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); }
std::int16_t mulhi(std::int16_t v, std::int16_t c) { return static_cast<std::int16_t>((v * c) >> 16); }

// Every row through all its products, every column through every step, zeros
// and all.
void fullTransform(std::int16_t* b) {
    static const std::int32_t k[4][7] = {
        // C4, C2, C6, C1, C3, C5, C7
        {16384, 21407, 8867, 22725, 19266, 12873, 4520},
        {22725, 29692, 12299, 31521, 26722, 17855, 6270},
        {21407, 27969, 11585, 29692, 25172, 16819, 5906},
        {19266, 25172, 10426, 26722, 22654, 15137, 5315},
    };
    static const int pair[8] = {0, 1, 2, 3, 0, 3, 2, 1};
    static const std::int32_t rounder[8] = {65536, 3597, 2260, 1203, 0, 120, 512, 512};
    for (int r = 0; r < 8; ++r) {
        std::int16_t* x = b + 8 * r;
        const std::int32_t* c = k[pair[r]];
        const std::int64_t c4 = c[0], c2 = c[1], c6 = c[2], c1 = c[3], c3 = c[4], c5 = c[5], c7 = c[6];
        const std::int32_t a[4] = {
            wrap32(c4 * x[0] + c2 * x[2] + c4 * x[4] + c6 * x[6] + rounder[r]),
            wrap32(c4 * x[0] + c6 * x[2] - c4 * x[4] - c2 * x[6] + rounder[r]),
            wrap32(c4 * x[0] - c6 * x[2] - c4 * x[4] + c2 * x[6] + rounder[r]),
            wrap32(c4 * x[0] - c2 * x[2] + c4 * x[4] - c6 * x[6] + rounder[r]),
        };
        const std::int32_t o[4] = {
            wrap32(c1 * x[1] + c3 * x[3] + c5 * x[5] + c7 * x[7]),
            wrap32(c3 * x[1] - c7 * x[3] - c1 * x[5] - c5 * x[7]),
            wrap32(c5 * x[1] - c1 * x[3] + c7 * x[5] + c3 * x[7]),
            wrap32(c7 * x[1] - c5 * x[3] + c3 * x[5] - c1 * x[7]),
        };
        for (int i = 0; i < 4; ++i) {
            x[i] = sat16(wrap32(std::int64_t{a[i]} + o[i]) >> 11);
            x[7 - i] = sat16(wrap32(std::int64_t{a[i]} - o[i]) >> 11);
        }
    }
    const auto add = [](std::int16_t p, std::int16_t q) { return sat16(p + q); };
    const auto sub = [](std::int16_t p, std::int16_t q) { return sat16(p - q); };
    const std::int16_t tg1 = 13036, tg2 = 27146, tg3 = -21746, cos4 = 23170;
    for (int col = 0; col < 8; ++col) {
        std::int16_t* c = b + col;
        const std::int16_t r0 = c[0], r1 = c[8], r2 = c[16], r3 = c[24];
        const std::int16_t r4 = c[32], r5 = c[40], r6 = c[48], r7 = c[56];
        const std::int16_t t0 = add(r0, r4), t1 = sub(r0, r4);
        const std::int16_t tm26 = add(r2, mulhi(r6, tg2)), tp26 = sub(mulhi(r2, tg2), r6);
        const std::int16_t a0 = add(t0, tm26), a3 = sub(t0, tm26), a1 = add(t1, tp26), a2 = sub(t1, tp26);
        const std::int16_t tp17 = sub(mulhi(r1, tg1), r7), tm17 = add(mulhi(r7, tg1), r1);
        const std::int16_t tm35 = add(add(mulhi(r5, tg3), r5), r3);
        const std::int16_t tp35 = sub(add(mulhi(r3, tg3), r3), r5);
        const std::int16_t b0 = add(tm17, tm35), t2 = sub(tm17, tm35);
        const std::int16_t s = add(tp17, tp35), d = sub(tp17, tp35);
        const std::int16_t h1 = mulhi(add(t2, s), cos4), h2 = mulhi(sub(t2, s), cos4);
        const std::int16_t b1 = add(h1, h1), b2 = add(h2, h2);
        const std::int16_t even[4] = {a0, a1, a2, a3}, odd[4] = {b0, b1, b2, d};
        for (int i = 0; i < 4; ++i) {
            c[8 * i] = static_cast<std::int16_t>(add(even[i], odd[i]) >> 6);
            c[56 - 8 * i] = static_cast<std::int16_t>(sub(even[i], odd[i]) >> 6);
        }
    }
}

void expectEveryTierMatchesFullTransform(const Batch& input, int count, const char* what) {
    Batch expected = input;
    for (int n = 0; n < count; ++n) fullTransform(expected.v + 64 * n);
    for (KernelTier tier : test::runnableTiers()) {
        Batch got = input;
        kernelSlotsFor(tier).idct(got.v, count);
        for (int n = 0; n < count; ++n) {
            ASSERT_EQ(0, std::memcmp(got.v + 64 * n, expected.v + 64 * n, 128))
                << test::tierName(tier) << ", " << what << ", block " << n << " dc " << input.v[64 * n];
        }
    }
}

TEST(IdctShortcuts, EveryDcValueAloneMatchesTheFullTransform) {
    for (int first = -32768; first <= 32767; first += batchBlocks) {
        Batch input{};
        for (int n = 0; n < batchBlocks; ++n) input.v[64 * n] = static_cast<std::int16_t>(first + n);
        expectEveryTierMatchesFullTransform(input, batchBlocks, "dc alone");
    }
}

std::int16_t drawValue(std::mt19937& rng) {
    static const std::int16_t extremes[] = {-32768, 32767, -32767, 16384, -16384, 4095, -4096, 1, -1};
    switch (rng() % 3) {
    case 0: return extremes[rng() % 9];
    case 1: return static_cast<std::int16_t>(rng());
    default: return static_cast<std::int16_t>(static_cast<int>(rng() % 4096) - 2048);
    }
}

// Block shapes around the edges of each shortcut: just inside it, and one
// coefficient away from it. A shape is ranges of scan positions, each filled
// with values at one in `every` positions; `every` 0 sets one position of the
// range, -1 puts +-1 there (the mismatch bit).
struct Range {
    int first, last, every;
};
struct Shape {
    const char* name;
    std::vector<Range> ranges;
};

const Shape shapes[] = {
    {"upper four rows", {{0, 31, 3}}},
    {"upper four rows, dense and saturating", {{0, 31, 1}}},
    {"dc and one upper coefficient", {{0, 0, 1}, {1, 31, 0}}},
    {"dc and one lower coefficient", {{0, 0, 1}, {32, 63, 0}}},
    {"first row only", {{0, 7, 2}}},
    {"first and last rows only", {{0, 7, 2}, {56, 63, 2}}},
    {"dc and the mismatch bit", {{0, 0, 1}, {63, 63, -1}}},
    {"first and last rows and one inner coefficient", {{0, 7, 0}, {8, 55, 0}, {63, 63, -1}}},
    {"one coefficient anywhere", {{0, 63, 0}}},
    {"lower rows only", {{32, 63, 4}}},
    {"all zero", {}},
    {"dc alone", {{0, 0, 1}}},
    {"dense, saturating", {{0, 63, 1}}},
    {"sparse anywhere", {{0, 63, 6}}},
    {"left half of rows 0-6, last row", {{0, 3, 2}, {8, 11, 2}, {24, 27, 2}, {48, 51, 2}, {56, 63, 2}}},
    {"left half, dense and saturating", {{0, 3, 1}, {8, 11, 1}, {16, 19, 1}, {32, 35, 1}, {40, 43, 1}}},
    {"upper left quarter and the mismatch bit", {{0, 3, 1}, {8, 11, 2}, {24, 27, 2}, {63, 63, -1}}},
    {"upper left quarter, one coefficient below", {{0, 3, 1}, {16, 19, 2}, {32, 51, 0}}},
    {"left half, one coefficient right", {{0, 3, 1}, {40, 43, 2}, {4, 55, 0}}},
};

void fill(const Shape& shape, std::mt19937& rng, std::int16_t* b) {
    for (const Range& r : shape.ranges) {
        if (r.every == -1) b[r.last] = static_cast<std::int16_t>(rng() % 2 ? 1 : -1);
        else if (r.every == 0) b[std::uniform_int_distribution<int>(r.first, r.last)(rng)] = drawValue(rng);
        else
            for (int i = r.first; i <= r.last; ++i) b[i] = rng() % r.every == 0 ? drawValue(rng) : 0;
    }
}

// Batches of one shape, then batches of blocks of different shapes side by
// side: each block takes its own path.
TEST(IdctShortcuts, SparseShapesMatchTheFullTransform) {
    std::mt19937 rng(2024);
    for (const Shape& shape : shapes) {
        for (int round = 0; round < 400; ++round) {
            Batch input{};
            const int count = 1 + round % batchBlocks;
            for (int n = 0; n < count; ++n) fill(shape, rng, input.v + 64 * n);
            expectEveryTierMatchesFullTransform(input, count, shape.name);
        }
    }
    for (int round = 0; round < 2000; ++round) {
        Batch input{};
        for (int n = 0; n < batchBlocks; ++n) fill(shapes[rng() % std::size(shapes)], rng, input.v + 64 * n);
        expectEveryTierMatchesFullTransform(input, batchBlocks, "mixed");
    }
}

}  // namespace
}  // namespace tl
