// Inverse DCT on 128-bit registers: one row, or eight columns, per register.
// A block holding only its DC coefficient has identical columns, so its scalar
// row results go through the column pass in every lane at once and no row pass
// runs; that gives exactly the bits of the full transform. The other shortcut
// of the plain and 64-bit forms (nothing in the lower four rows) is left out
// here: this form is quick enough that mispredicting the test on real streams
// (about a quarter of the blocks qualify, at random) costs more than the four
// row passes it saves.
#include <emmintrin.h>

#include "engine/macroblock/idct_constants.h"
#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels::sse2 {
namespace {

__m128i rowPass(__m128i x, int row) {
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

// The column pass over the row-pass results r[0..7], written to `out`. With
// `lowerZero` the caller knows r[4..7] are zero and leaves them unset: adding,
// subtracting or multiplying a zero changes nothing, even with saturation.
template <bool lowerZero>
void columnPass(const __m128i* r, __m128i* out) {
    const __m128i tg1 = _mm_set1_epi16(idct::tg1);
    const __m128i tg2 = _mm_set1_epi16(idct::tg2);
    const __m128i tg3 = _mm_set1_epi16(idct::tg3);
    const __m128i cos4 = _mm_set1_epi16(idct::cos4);

    __m128i t0, t1, tm26, tp26, tp17, tm17, tm35, tp35;
    if constexpr (lowerZero) {
        t0 = r[0];
        t1 = r[0];
        tm26 = r[2];
        tp26 = _mm_mulhi_epi16(r[2], tg2);
        tp17 = _mm_mulhi_epi16(r[1], tg1);
        tm17 = r[1];
        tm35 = r[3];
        tp35 = _mm_adds_epi16(_mm_mulhi_epi16(r[3], tg3), r[3]);
    } else {
        t0 = _mm_adds_epi16(r[0], r[4]);
        t1 = _mm_subs_epi16(r[0], r[4]);
        tm26 = _mm_adds_epi16(r[2], _mm_mulhi_epi16(r[6], tg2));
        tp26 = _mm_subs_epi16(_mm_mulhi_epi16(r[2], tg2), r[6]);
        tp17 = _mm_subs_epi16(_mm_mulhi_epi16(r[1], tg1), r[7]);
        tm17 = _mm_adds_epi16(_mm_mulhi_epi16(r[7], tg1), r[1]);
        tm35 = _mm_adds_epi16(_mm_adds_epi16(_mm_mulhi_epi16(r[5], tg3), r[5]), r[3]);
        tp35 = _mm_subs_epi16(_mm_adds_epi16(_mm_mulhi_epi16(r[3], tg3), r[3]), r[5]);
    }

    const __m128i a0 = _mm_adds_epi16(t0, tm26);
    const __m128i a3 = _mm_subs_epi16(t0, tm26);
    const __m128i a1 = _mm_adds_epi16(t1, tp26);
    const __m128i a2 = _mm_subs_epi16(t1, tp26);

    const __m128i b0 = _mm_adds_epi16(tm17, tm35);
    const __m128i t2 = _mm_subs_epi16(tm17, tm35);
    const __m128i s = _mm_adds_epi16(tp17, tp35);
    const __m128i d = _mm_subs_epi16(tp17, tp35);

    const __m128i h1 = _mm_mulhi_epi16(_mm_adds_epi16(t2, s), cos4);
    const __m128i h2 = _mm_mulhi_epi16(_mm_subs_epi16(t2, s), cos4);
    const __m128i b1 = _mm_adds_epi16(h1, h1);
    const __m128i b2 = _mm_adds_epi16(h2, h2);

    constexpr int shift = idct::columnShift;
    out[0] = _mm_srai_epi16(_mm_adds_epi16(a0, b0), shift);
    out[7] = _mm_srai_epi16(_mm_subs_epi16(a0, b0), shift);
    out[1] = _mm_srai_epi16(_mm_adds_epi16(a1, b1), shift);
    out[6] = _mm_srai_epi16(_mm_subs_epi16(a1, b1), shift);
    out[2] = _mm_srai_epi16(_mm_adds_epi16(a2, b2), shift);
    out[5] = _mm_srai_epi16(_mm_subs_epi16(a2, b2), shift);
    out[3] = _mm_srai_epi16(_mm_adds_epi16(a3, d), shift);
    out[4] = _mm_srai_epi16(_mm_subs_epi16(a3, d), shift);
}

bool allZero(__m128i v) { return _mm_movemask_epi8(_mm_cmpeq_epi16(v, _mm_setzero_si128())) == 0xFFFF; }

void idctBlock(std::int16_t* block) {
    __m128i* rows = reinterpret_cast<__m128i*>(block);
    __m128i r[8];
    // The byte shift drops x0 from row 0, leaving its AC coefficients.
    const __m128i ac = _mm_or_si128(
        _mm_or_si128(_mm_or_si128(rows[4], rows[5]), _mm_or_si128(rows[6], rows[7])),
        _mm_or_si128(_mm_or_si128(rows[1], rows[2]), _mm_or_si128(rows[3], _mm_srli_si128(rows[0], 2))));
    if (!allZero(ac)) {
        for (int i = 0; i < 8; ++i) r[i] = rowPass(rows[i], i);
        columnPass<false>(r, rows);
        return;
    }
    r[0] = _mm_set1_epi16(idct::dcOnlyRowOutput(0, block[0]));
    for (int i = 1; i < 4; ++i) r[i] = _mm_set1_epi16(idct::zeroRowOutput(i));
    columnPass<true>(r, rows);
}

}  // namespace

void idct(std::int16_t* blocks, int count) {
    for (int n = 0; n < count; ++n, blocks += 64) {
        _mm_prefetch(reinterpret_cast<const char*>(blocks + 2 * 64), _MM_HINT_NTA);
        idctBlock(blocks);
    }
}

}  // namespace tl::kernels::sse2
