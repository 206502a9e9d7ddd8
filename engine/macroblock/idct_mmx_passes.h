// Row and column passes of the inverse DCT on 64-bit registers, shared by the
// MMX and SSE forms. Include only from files compiled with MMX enabled; the
// unnamed namespace keeps each includer's copy built with its own flags.
#pragma once
#include <mmintrin.h>

#include <cstdint>

#include "engine/macroblock/idct_constants.h"

namespace tl::kernels {
namespace {

inline __m64 wordsAt(const std::int16_t* p) { return *reinterpret_cast<const __m64*>(p); }

// One row: returns y0..y3 in `low` and y5, y4, y7, y6 in `high`; the caller
// swaps the word pairs of `high` with whatever its instruction set offers.
inline void idctRow(const std::int16_t* x, const std::int16_t* table, std::int32_t rounder, __m64& low,
                    __m64& high) {
    const __m64 x03 = wordsAt(x), x47 = wordsAt(x + 4);
    const __m64 t1 = _mm_unpacklo_pi16(x03, x47);  // x0 x4 x1 x5
    const __m64 t2 = _mm_unpackhi_pi16(x03, x47);  // x2 x6 x3 x7
    const __m64 p = _mm_unpacklo_pi32(t1, t1);
    const __m64 u = _mm_unpackhi_pi32(t1, t1);
    const __m64 q = _mm_unpacklo_pi32(t2, t2);
    const __m64 v = _mm_unpackhi_pi32(t2, t2);
    const __m64 round = _mm_set1_pi32(rounder);

    const __m64 a01 = _mm_add_pi32(_mm_add_pi32(_mm_madd_pi16(p, wordsAt(table)),
                                                _mm_madd_pi16(q, wordsAt(table + 8))), round);
    const __m64 a23 = _mm_add_pi32(_mm_add_pi32(_mm_madd_pi16(p, wordsAt(table + 4)),
                                                _mm_madd_pi16(q, wordsAt(table + 12))), round);
    const __m64 b01 = _mm_add_pi32(_mm_madd_pi16(u, wordsAt(table + 16)), _mm_madd_pi16(v, wordsAt(table + 24)));
    const __m64 b23 = _mm_add_pi32(_mm_madd_pi16(u, wordsAt(table + 20)), _mm_madd_pi16(v, wordsAt(table + 28)));

    constexpr int shift = idct::rowShift;
    low = _mm_packs_pi32(_mm_srai_pi32(_mm_add_pi32(a01, b01), shift), _mm_srai_pi32(_mm_add_pi32(a23, b23), shift));
    high = _mm_packs_pi32(_mm_srai_pi32(_mm_sub_pi32(a23, b23), shift), _mm_srai_pi32(_mm_sub_pi32(a01, b01), shift));
}

// Four columns, starting at `c`, of a block after the row pass.
inline void idctColumns4(std::int16_t* c) {
    __m64* r = reinterpret_cast<__m64*>(c);  // rows are 2 registers apart
    const __m64 tg1 = _mm_set1_pi16(idct::tg1);
    const __m64 tg2 = _mm_set1_pi16(idct::tg2);
    const __m64 tg3 = _mm_set1_pi16(idct::tg3);
    const __m64 cos4 = _mm_set1_pi16(idct::cos4);
    const __m64 r0 = r[0], r1 = r[2], r2 = r[4], r3 = r[6], r4 = r[8], r5 = r[10], r6 = r[12], r7 = r[14];

    const __m64 t0 = _mm_adds_pi16(r0, r4);
    const __m64 t1 = _mm_subs_pi16(r0, r4);
    const __m64 tm26 = _mm_adds_pi16(r2, _mm_mulhi_pi16(r6, tg2));
    const __m64 tp26 = _mm_subs_pi16(_mm_mulhi_pi16(r2, tg2), r6);

    const __m64 a0 = _mm_adds_pi16(t0, tm26);
    const __m64 a3 = _mm_subs_pi16(t0, tm26);
    const __m64 a1 = _mm_adds_pi16(t1, tp26);
    const __m64 a2 = _mm_subs_pi16(t1, tp26);

    const __m64 tp17 = _mm_subs_pi16(_mm_mulhi_pi16(r1, tg1), r7);
    const __m64 tm17 = _mm_adds_pi16(_mm_mulhi_pi16(r7, tg1), r1);
    const __m64 tm35 = _mm_adds_pi16(_mm_adds_pi16(_mm_mulhi_pi16(r5, tg3), r5), r3);
    const __m64 tp35 = _mm_subs_pi16(_mm_adds_pi16(_mm_mulhi_pi16(r3, tg3), r3), r5);

    const __m64 b0 = _mm_adds_pi16(tm17, tm35);
    const __m64 t2 = _mm_subs_pi16(tm17, tm35);
    const __m64 s = _mm_adds_pi16(tp17, tp35);
    const __m64 d = _mm_subs_pi16(tp17, tp35);

    const __m64 h1 = _mm_mulhi_pi16(_mm_adds_pi16(t2, s), cos4);
    const __m64 h2 = _mm_mulhi_pi16(_mm_subs_pi16(t2, s), cos4);
    const __m64 b1 = _mm_adds_pi16(h1, h1);
    const __m64 b2 = _mm_adds_pi16(h2, h2);

    constexpr int shift = idct::columnShift;
    r[0] = _mm_srai_pi16(_mm_adds_pi16(a0, b0), shift);
    r[14] = _mm_srai_pi16(_mm_subs_pi16(a0, b0), shift);
    r[2] = _mm_srai_pi16(_mm_adds_pi16(a1, b1), shift);
    r[12] = _mm_srai_pi16(_mm_subs_pi16(a1, b1), shift);
    r[4] = _mm_srai_pi16(_mm_adds_pi16(a2, b2), shift);
    r[10] = _mm_srai_pi16(_mm_subs_pi16(a2, b2), shift);
    r[6] = _mm_srai_pi16(_mm_adds_pi16(a3, d), shift);
    r[8] = _mm_srai_pi16(_mm_subs_pi16(a3, d), shift);
}

// The whole transform of one block; `swapWordPairs` turns y5 y4 y7 y6 into y4..y7.
template <__m64 (*swapWordPairs)(__m64)>
inline void idctBlock(std::int16_t* block) {
    for (int row = 0; row < 8; ++row) {
        std::int16_t* x = block + 8 * row;
        __m64 low, high;
        idctRow(x, idct::rowMaddTable.w[idct::rowPairOf[row]], idct::rowRounder[row], low, high);
        *reinterpret_cast<__m64*>(x) = low;
        *reinterpret_cast<__m64*>(x + 4) = swapWordPairs(high);
    }
    idctColumns4(block);
    idctColumns4(block + 4);
}

}  // namespace
}  // namespace tl::kernels
