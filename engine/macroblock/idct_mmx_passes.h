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

// Four columns of row-pass results, written to `out`; rows are two registers
// apart in both, as in a block. With `lowerZero` the caller knows rows 4..7 are
// zero and leaves them unset: adding, subtracting or multiplying a zero changes
// nothing, even with saturation.
template <bool lowerZero>
inline void idctColumns4(const __m64* r, __m64* out) {
    const __m64 tg1 = _mm_set1_pi16(idct::tg1);
    const __m64 tg2 = _mm_set1_pi16(idct::tg2);
    const __m64 tg3 = _mm_set1_pi16(idct::tg3);
    const __m64 cos4 = _mm_set1_pi16(idct::cos4);

    __m64 t0, t1, tm26, tp26, tp17, tm17, tm35, tp35;
    if constexpr (lowerZero) {
        t0 = r[0];
        t1 = r[0];
        tm26 = r[4];
        tp26 = _mm_mulhi_pi16(r[4], tg2);
        tp17 = _mm_mulhi_pi16(r[2], tg1);
        tm17 = r[2];
        tm35 = r[6];
        tp35 = _mm_adds_pi16(_mm_mulhi_pi16(r[6], tg3), r[6]);
    } else {
        t0 = _mm_adds_pi16(r[0], r[8]);
        t1 = _mm_subs_pi16(r[0], r[8]);
        tm26 = _mm_adds_pi16(r[4], _mm_mulhi_pi16(r[12], tg2));
        tp26 = _mm_subs_pi16(_mm_mulhi_pi16(r[4], tg2), r[12]);
        tp17 = _mm_subs_pi16(_mm_mulhi_pi16(r[2], tg1), r[14]);
        tm17 = _mm_adds_pi16(_mm_mulhi_pi16(r[14], tg1), r[2]);
        tm35 = _mm_adds_pi16(_mm_adds_pi16(_mm_mulhi_pi16(r[10], tg3), r[10]), r[6]);
        tp35 = _mm_subs_pi16(_mm_adds_pi16(_mm_mulhi_pi16(r[6], tg3), r[6]), r[10]);
    }

    const __m64 a0 = _mm_adds_pi16(t0, tm26);
    const __m64 a3 = _mm_subs_pi16(t0, tm26);
    const __m64 a1 = _mm_adds_pi16(t1, tp26);
    const __m64 a2 = _mm_subs_pi16(t1, tp26);

    const __m64 b0 = _mm_adds_pi16(tm17, tm35);
    const __m64 t2 = _mm_subs_pi16(tm17, tm35);
    const __m64 s = _mm_adds_pi16(tp17, tp35);
    const __m64 d = _mm_subs_pi16(tp17, tp35);

    const __m64 h1 = _mm_mulhi_pi16(_mm_adds_pi16(t2, s), cos4);
    const __m64 h2 = _mm_mulhi_pi16(_mm_subs_pi16(t2, s), cos4);
    const __m64 b1 = _mm_adds_pi16(h1, h1);
    const __m64 b2 = _mm_adds_pi16(h2, h2);

    constexpr int shift = idct::columnShift;
    out[0] = _mm_srai_pi16(_mm_adds_pi16(a0, b0), shift);
    out[14] = _mm_srai_pi16(_mm_subs_pi16(a0, b0), shift);
    out[2] = _mm_srai_pi16(_mm_adds_pi16(a1, b1), shift);
    out[12] = _mm_srai_pi16(_mm_subs_pi16(a1, b1), shift);
    out[4] = _mm_srai_pi16(_mm_adds_pi16(a2, b2), shift);
    out[10] = _mm_srai_pi16(_mm_subs_pi16(a2, b2), shift);
    out[6] = _mm_srai_pi16(_mm_adds_pi16(a3, d), shift);
    out[8] = _mm_srai_pi16(_mm_subs_pi16(a3, d), shift);
}

inline bool allZero(__m64 v) { return _mm_cvtsi64_si32(_mm_or_si64(v, _mm_srli_si64(v, 32))) == 0; }

// The whole transform of one block; `swapWordPairs` turns y5 y4 y7 y6 into y4..y7.
// Sparse blocks take the same shortcuts as the 128-bit form: with nothing in
// the lower four rows only four row passes run, and a lone DC coefficient
// gives identical columns, so four of them are computed and copied across.
template <__m64 (*swapWordPairs)(__m64)>
inline void idctBlock(std::int16_t* block) {
    __m64* words = reinterpret_cast<__m64*>(block);  // two registers per row
    __m64 lower = _mm_or_si64(words[8], words[9]);
    for (int i = 10; i < 16; ++i) lower = _mm_or_si64(lower, words[i]);
    int rowsToPass = 8;
    if (allZero(lower)) {
        // The shift drops x0 from row 0, leaving its AC coefficients.
        __m64 upperAc = _mm_or_si64(_mm_srli_si64(words[0], 16), words[1]);
        for (int i = 2; i < 8; ++i) upperAc = _mm_or_si64(upperAc, words[i]);
        if (allZero(upperAc)) {
            __m64 r[8];
            r[0] = _mm_set1_pi16(idct::dcOnlyRowOutput(0, block[0]));
            for (int i = 1; i < 4; ++i) r[2 * i] = _mm_set1_pi16(idct::zeroRowOutput(i));
            idctColumns4<true>(r, words);
            for (int i = 0; i < 16; i += 2) words[i + 1] = words[i];
            return;
        }
        rowsToPass = 4;
    }
    __m64 r[16];
    for (int row = 0; row < rowsToPass; ++row) {
        __m64 low, high;
        idctRow(block + 8 * row, idct::rowMaddTable.w[idct::rowPairOf[row]], idct::rowRounder[row], low, high);
        r[2 * row] = low;
        r[2 * row + 1] = swapWordPairs(high);
    }
    if (rowsToPass == 4) {
        idctColumns4<true>(r, words);
        idctColumns4<true>(r + 1, words + 1);
    } else {
        idctColumns4<false>(r, words);
        idctColumns4<false>(r + 1, words + 1);
    }
}

}  // namespace
}  // namespace tl::kernels
