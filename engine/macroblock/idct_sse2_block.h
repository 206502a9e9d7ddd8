// The inverse DCT of one block on 128-bit registers, one row, or eight columns,
// per register, leaving the result in registers: the in-place transform and the
// transform stores both start from it. Include only from files compiled with
// SSE2 enabled; the unnamed namespace keeps each includer's copy built with its
// own flags.
//
// A row whose inputs are all zero leaves the row pass as its rounder shifted
// down, the same in every column, so such rows need no row pass. Mismatch
// control puts a lone coefficient 63 into about half of all blocks, so the
// blocks holding only a DC coefficient, or only a first row of coefficients,
// mostly come with something in row 7 too: when rows 1 to 6 are empty, two
// row passes feed the full column pass, which gives exactly the bits of the
// full transform (a quarter of the HD and 720p blocks). Finer tests (rows 4 to
// 6 empty, rows 2 to 6 empty) cost more in mispredicted branches than the row
// passes they save, as does the lower-four-rows shortcut of the plain and
// 64-bit forms.
#pragma once
#include <emmintrin.h>

#include <cstdint>

#include "engine/macroblock/block_ops_sse2.h"
#include "engine/macroblock/idct_columns.h"
#include "engine/macroblock/idct_constants.h"

namespace tl::kernels {
namespace {

inline __m128i idctRowPass(__m128i x, int row) {
    const __m128i* t = reinterpret_cast<const __m128i*>(idct::rowMaddTable.w[idct::rowPairOf[row]]);
    const __m128i pairs = _mm_unpacklo_epi16(x, _mm_unpackhi_epi64(x, x));  // x0 x4 x1 x5 x2 x6 x3 x7
    const __m128i p = _mm_shuffle_epi32(pairs, 0x00);
    const __m128i u = _mm_shuffle_epi32(pairs, 0x55);
    const __m128i q = _mm_shuffle_epi32(pairs, 0xAA);
    const __m128i v = _mm_shuffle_epi32(pairs, 0xFF);
    const __m128i a = _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(p, t[0]), _mm_madd_epi16(q, t[1])),
                                    _mm_set1_epi32(idct::rowRounder[row]));
    const __m128i b = _mm_add_epi32(_mm_madd_epi16(u, t[2]), _mm_madd_epi16(v, t[3]));
    const __m128i low = _mm_srai_epi32(_mm_add_epi32(a, b), idct::rowShift);    // y0 y1 y2 y3
    const __m128i high = _mm_srai_epi32(_mm_sub_epi32(a, b), idct::rowShift);   // y7 y6 y5 y4
    return _mm_packs_epi32(low, _mm_shuffle_epi32(high, _MM_SHUFFLE(0, 1, 2, 3)));
}

inline bool idctAllZero(__m128i v) { return _mm_movemask_epi8(_mm_cmpeq_epi16(v, _mm_setzero_si128())) == 0xFFFF; }

// `out[i]` receives row i of the transformed block (16-byte aligned).
inline void idctToRegisters(const std::int16_t* block, __m128i* out) {
    const __m128i* rows = reinterpret_cast<const __m128i*>(block);
    __m128i r[8];
    const __m128i inner = _mm_or_si128(_mm_or_si128(_mm_or_si128(rows[1], rows[2]), _mm_or_si128(rows[3], rows[4])),
                                       _mm_or_si128(rows[5], rows[6]));
    if (idctAllZero(inner)) {
        r[0] = idctRowPass(rows[0], 0);
        for (int i = 1; i < 7; ++i) r[i] = _mm_set1_epi16(idct::zeroRowOutput(i));
        r[7] = idctRowPass(rows[7], 7);
    } else {
        for (int i = 0; i < 8; ++i) r[i] = idctRowPass(rows[i], i);
    }
    idctColumns<Sse2Ops, false, 1>(r, out);
}

}  // namespace
}  // namespace tl::kernels
