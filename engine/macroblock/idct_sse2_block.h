// The inverse DCT of one block on 128-bit registers, one row, or eight columns,
// per register, leaving the result in registers: the in-place transform and the
// transform stores both start from it. Include only from files compiled with
// SSE2 enabled; the unnamed namespace keeps each includer's copy built with its
// own flags.
//
// Mismatch control puts a lone coefficient 63 into most blocks, so row 7
// always takes the full row pass and the shortcuts look at rows 0 to 6 only:
// - rows 1 to 6 empty (the DC or first-row blocks, about two in five):
//   those rows leave the row pass as constants that fold out of the column
//   pass (idctColumnsOuterRows);
// - rows 0 to 6 with nothing right of column 3 (about as many): a row pass
//   of half the multiply-adds (idctRowPassLeft), and with rows 4 to 6 also
//   empty, no row pass for them and a column pass without their terms.
// Each gives exactly the bits of the full transform. A shortcut for the rarer
// wide blocks with rows 4 to 6 empty saves about what its mispredicted branch
// costs (1 in 20 blocks of the HD and 720p streams).
#pragma once
#include <emmintrin.h>

#include <cstdint>

#include "engine/macroblock/block_ops_sse2.h"
#include "engine/macroblock/idct_columns.h"
#include "engine/macroblock/idct_constants.h"

namespace tl::kernels {
namespace {

// The row pass from its even and odd sums.
inline __m128i idctRowOutputs(__m128i a, __m128i b) {
    const __m128i low = _mm_srai_epi32(_mm_add_epi32(a, b), idct::rowShift);    // y0 y1 y2 y3
    const __m128i high = _mm_srai_epi32(_mm_sub_epi32(a, b), idct::rowShift);   // y7 y6 y5 y4
    return _mm_packs_epi32(low, _mm_shuffle_epi32(high, _MM_SHUFFLE(0, 1, 2, 3)));
}

// Words x0 x2 x1 x3 of the row in the low half, x4 x6 x5 x7 in the high half:
// the pair vectors of idct::rowMaddHalfTable as its four doublewords.
inline __m128i idctRowPairs(__m128i x) {
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(x, _MM_SHUFFLE(3, 1, 2, 0)), _MM_SHUFFLE(3, 1, 2, 0));
}

inline __m128i idctRowPass(__m128i x, int row) {
    const __m128i* left = reinterpret_cast<const __m128i*>(idct::rowMaddHalfTable.w[idct::rowPairOf[row]][0]);
    const __m128i* right = reinterpret_cast<const __m128i*>(idct::rowMaddHalfTable.w[idct::rowPairOf[row]][1]);
    const __m128i pairs = idctRowPairs(x);
    const __m128i a = _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_shuffle_epi32(pairs, 0x00), left[0]),
                                                  _mm_madd_epi16(_mm_shuffle_epi32(pairs, 0xAA), right[0])),
                                    _mm_set1_epi32(idct::rowRounder[row]));
    const __m128i b = _mm_add_epi32(_mm_madd_epi16(_mm_shuffle_epi32(pairs, 0x55), left[1]),
                                    _mm_madd_epi16(_mm_shuffle_epi32(pairs, 0xFF), right[1]));
    return idctRowOutputs(a, b);
}

// The row pass of a row whose inputs x4..x7 are zero: half the multiply-adds.
inline __m128i idctRowPassLeft(__m128i x, int row) {
    const __m128i* left = reinterpret_cast<const __m128i*>(idct::rowMaddHalfTable.w[idct::rowPairOf[row]][0]);
    const __m128i pairs = _mm_shufflelo_epi16(x, _MM_SHUFFLE(3, 1, 2, 0));
    const __m128i a = _mm_add_epi32(_mm_madd_epi16(_mm_shuffle_epi32(pairs, 0x00), left[0]),
                                    _mm_set1_epi32(idct::rowRounder[row]));
    const __m128i b = _mm_madd_epi16(_mm_shuffle_epi32(pairs, 0x55), left[1]);
    return idctRowOutputs(a, b);
}

inline bool idctAllZero(__m128i v) { return _mm_movemask_epi8(_mm_cmpeq_epi16(v, _mm_setzero_si128())) == 0xFFFF; }
// Words 4..7 zero.
inline bool idctRightZero(__m128i v) {
    return (_mm_movemask_epi8(_mm_cmpeq_epi16(v, _mm_setzero_si128())) & 0xFF00) == 0xFF00;
}

// `out[i]` receives row i of the transformed block (16-byte aligned).
__attribute__((always_inline)) inline void idctToRegisters(const std::int16_t* block, __m128i* out) {
    const __m128i* rows = reinterpret_cast<const __m128i*>(block);
    __m128i r[8];
    const __m128i inner = _mm_or_si128(_mm_or_si128(_mm_or_si128(rows[1], rows[2]), _mm_or_si128(rows[3], rows[4])),
                                       _mm_or_si128(rows[5], rows[6]));
    r[7] = idctRowPass(rows[7], 7);
    if (idctAllZero(inner)) {
        r[0] = idctRowPass(rows[0], 0);
        idctColumnsOuterRows<Sse2Ops, 1>(r, out);
    } else if (!idctRightZero(_mm_or_si128(inner, rows[0]))) {
        for (int i = 0; i < 7; ++i) r[i] = idctRowPass(rows[i], i);
        idctColumns<Sse2Ops, IdctZeroRows::none, 1>(r, out);
    } else if (idctAllZero(_mm_or_si128(_mm_or_si128(rows[4], rows[5]), rows[6]))) {
        for (int i = 0; i < 4; ++i) r[i] = idctRowPassLeft(rows[i], i);
        idctColumns<Sse2Ops, IdctZeroRows::fourToSix, 1>(r, out);
    } else {
        for (int i = 0; i < 7; ++i) r[i] = idctRowPassLeft(rows[i], i);
        idctColumns<Sse2Ops, IdctZeroRows::none, 1>(r, out);
    }
}

}  // namespace
}  // namespace tl::kernels
