// Reference inverse DCT: the exact integer arithmetic every tier reproduces,
// including the wrap-around of the 32-bit row sums and the 16-bit saturation of
// the column pass.
#include <algorithm>

#include "engine/macroblock/idct_constants.h"
#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels::plain {
namespace {

using idct::RowConstants;

// Row sums wrap modulo 2^32 as the multiply-add instructions do.
std::int32_t wrap32(std::int64_t v) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}

std::int16_t sat16(std::int32_t v) {
    return static_cast<std::int16_t>(std::clamp<std::int32_t>(v, -32768, 32767));
}

std::int16_t adds(std::int16_t a, std::int16_t b) { return sat16(std::int32_t{a} + b); }
std::int16_t subs(std::int16_t a, std::int16_t b) { return sat16(std::int32_t{a} - b); }

std::int16_t mulhi(std::int16_t v, std::int16_t c) {
    return static_cast<std::int16_t>((std::int32_t{v} * c) >> 16);
}

void rowPass(std::int16_t* x, const RowConstants& k, std::int32_t rounder) {
    const std::int64_t x0 = x[0], x1 = x[1], x2 = x[2], x3 = x[3];
    const std::int64_t x4 = x[4], x5 = x[5], x6 = x[6], x7 = x[7];
    const std::int32_t a[4] = {
        wrap32(k.c4 * x0 + k.c2 * x2 + k.c4 * x4 + k.c6 * x6 + rounder),
        wrap32(k.c4 * x0 + k.c6 * x2 - k.c4 * x4 - k.c2 * x6 + rounder),
        wrap32(k.c4 * x0 - k.c6 * x2 - k.c4 * x4 + k.c2 * x6 + rounder),
        wrap32(k.c4 * x0 - k.c2 * x2 + k.c4 * x4 - k.c6 * x6 + rounder),
    };
    const std::int32_t b[4] = {
        wrap32(k.c1 * x1 + k.c3 * x3 + k.c5 * x5 + k.c7 * x7),
        wrap32(k.c3 * x1 - k.c7 * x3 - k.c1 * x5 - k.c5 * x7),
        wrap32(k.c5 * x1 - k.c1 * x3 + k.c7 * x5 + k.c3 * x7),
        wrap32(k.c7 * x1 - k.c5 * x3 + k.c3 * x5 - k.c1 * x7),
    };
    for (int i = 0; i < 4; ++i) {
        x[i] = sat16(wrap32(std::int64_t{a[i]} + b[i]) >> idct::rowShift);
        x[7 - i] = sat16(wrap32(std::int64_t{a[i]} - b[i]) >> idct::rowShift);
    }
}

void columnPass(std::int16_t* c) {
    const std::int16_t r0 = c[0], r1 = c[8], r2 = c[16], r3 = c[24];
    const std::int16_t r4 = c[32], r5 = c[40], r6 = c[48], r7 = c[56];

    const std::int16_t t0 = adds(r0, r4);
    const std::int16_t t1 = subs(r0, r4);
    const std::int16_t tm26 = adds(r2, mulhi(r6, idct::tg2));
    const std::int16_t tp26 = subs(mulhi(r2, idct::tg2), r6);

    const std::int16_t a0 = adds(t0, tm26);
    const std::int16_t a3 = subs(t0, tm26);
    const std::int16_t a1 = adds(t1, tp26);
    const std::int16_t a2 = subs(t1, tp26);

    const std::int16_t tp17 = subs(mulhi(r1, idct::tg1), r7);
    const std::int16_t tm17 = adds(mulhi(r7, idct::tg1), r1);
    const std::int16_t tm35 = adds(adds(mulhi(r5, idct::tg3), r5), r3);
    const std::int16_t tp35 = subs(adds(mulhi(r3, idct::tg3), r3), r5);

    const std::int16_t b0 = adds(tm17, tm35);
    const std::int16_t t2 = subs(tm17, tm35);
    const std::int16_t s = adds(tp17, tp35);
    const std::int16_t d = subs(tp17, tp35);

    const std::int16_t h1 = mulhi(adds(t2, s), idct::cos4);
    const std::int16_t h2 = mulhi(subs(t2, s), idct::cos4);
    const std::int16_t b1 = adds(h1, h1);
    const std::int16_t b2 = adds(h2, h2);

    constexpr int shift = idct::columnShift;
    c[0] = static_cast<std::int16_t>(adds(a0, b0) >> shift);
    c[56] = static_cast<std::int16_t>(subs(a0, b0) >> shift);
    c[8] = static_cast<std::int16_t>(adds(a1, b1) >> shift);
    c[48] = static_cast<std::int16_t>(subs(a1, b1) >> shift);
    c[16] = static_cast<std::int16_t>(adds(a2, b2) >> shift);
    c[40] = static_cast<std::int16_t>(subs(a2, b2) >> shift);
    c[24] = static_cast<std::int16_t>(adds(a3, d) >> shift);
    c[32] = static_cast<std::int16_t>(subs(a3, d) >> shift);
}

bool allZero(const std::int16_t* v, int n) {
    for (int i = 0; i < n; ++i) {
        if (v[i] != 0) return false;
    }
    return true;
}

// Sparse blocks skip work, as in the vector forms: nothing in the lower four
// rows leaves them zero after the row pass (their rows are skipped), and a lone
// DC coefficient makes every column the same, so one column is transformed and
// copied across. Both give exactly the bits of the full transform.
void idctBlock(std::int16_t* block) {
    const bool lowerZero = allZero(block + 32, 32);
    if (lowerZero && allZero(block + 1, 31)) {
        std::int16_t column[64] = {idct::dcOnlyRowOutput(0, block[0])};
        for (int r = 1; r < 4; ++r) column[8 * r] = idct::zeroRowOutput(r);
        columnPass(column);
        for (int r = 0; r < 8; ++r) std::fill_n(block + 8 * r, 8, column[8 * r]);
        return;
    }
    const int rows = lowerZero ? 4 : 8;
    for (int r = 0; r < rows; ++r) {
        rowPass(block + 8 * r, idct::rowConstants[idct::rowPairOf[r]], idct::rowRounder[r]);
    }
    for (int c = 0; c < 8; ++c) columnPass(block + c);
}

}  // namespace

void idct(std::int16_t* blocks, int count) {
    for (int n = 0; n < count; ++n, blocks += 64) idctBlock(blocks);
}

}  // namespace tl::kernels::plain
