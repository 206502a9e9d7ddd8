// The row pass and the whole-block transform of the inverse DCT on 64-bit
// registers, shared by the MMX and SSE forms. Include only from files compiled
// with MMX enabled; the unnamed namespace keeps each includer's copy built with
// its own flags.
#pragma once
#include <mmintrin.h>

#include <cstdint>

#include "engine/macroblock/block_ops_mmx.h"
#include "engine/macroblock/idct_columns.h"
#include "engine/macroblock/idct_constants.h"

namespace tl::kernels {
namespace {

// One row: returns y0..y3 in `low` and y5, y4, y7, y6 in `high`; the caller
// swaps the word pairs of `high` with whatever its instruction set offers.
inline void idctRow(const std::int16_t* x, const std::int16_t* table, std::int32_t rounder, __m64& low,
                    __m64& high) {
    const __m64 x03 = MmxOps::words(x), x47 = MmxOps::words(x + 4);
    const __m64 t1 = _mm_unpacklo_pi16(x03, x47);  // x0 x4 x1 x5
    const __m64 t2 = _mm_unpackhi_pi16(x03, x47);  // x2 x6 x3 x7
    const __m64 p = _mm_unpacklo_pi32(t1, t1);
    const __m64 u = _mm_unpackhi_pi32(t1, t1);
    const __m64 q = _mm_unpacklo_pi32(t2, t2);
    const __m64 v = _mm_unpackhi_pi32(t2, t2);
    const __m64 round = _mm_set1_pi32(rounder);

    const __m64 a01 = _mm_add_pi32(_mm_add_pi32(_mm_madd_pi16(p, MmxOps::words(table)),
                                                _mm_madd_pi16(q, MmxOps::words(table + 8))), round);
    const __m64 a23 = _mm_add_pi32(_mm_add_pi32(_mm_madd_pi16(p, MmxOps::words(table + 4)),
                                                _mm_madd_pi16(q, MmxOps::words(table + 12))), round);
    const __m64 b01 = _mm_add_pi32(_mm_madd_pi16(u, MmxOps::words(table + 16)),
                                   _mm_madd_pi16(v, MmxOps::words(table + 24)));
    const __m64 b23 = _mm_add_pi32(_mm_madd_pi16(u, MmxOps::words(table + 20)),
                                   _mm_madd_pi16(v, MmxOps::words(table + 28)));

    constexpr int shift = idct::rowShift;
    low = _mm_packs_pi32(_mm_srai_pi32(_mm_add_pi32(a01, b01), shift), _mm_srai_pi32(_mm_add_pi32(a23, b23), shift));
    high = _mm_packs_pi32(_mm_srai_pi32(_mm_sub_pi32(a23, b23), shift), _mm_srai_pi32(_mm_sub_pi32(a01, b01), shift));
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
            idctColumns<MmxOps, IdctZeroRows::fourToSeven, 2>(r, words);
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
        idctColumns<MmxOps, IdctZeroRows::fourToSeven, 2>(r, words);
        idctColumns<MmxOps, IdctZeroRows::fourToSeven, 2>(r + 1, words + 1);
    } else {
        idctColumns<MmxOps, IdctZeroRows::none, 2>(r, words);
        idctColumns<MmxOps, IdctZeroRows::none, 2>(r + 1, words + 1);
    }
}

}  // namespace
}  // namespace tl::kernels
