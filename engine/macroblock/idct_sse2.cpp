// Inverse DCT on 128-bit registers: one row, or eight columns, per register.
#include <emmintrin.h>

#include "engine/macroblock/idct_constants.h"
#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels::sse2 {
namespace {

__m128i rowPass(__m128i x, const std::int16_t* table, std::int32_t rounder) {
    const __m128i* t = reinterpret_cast<const __m128i*>(table);
    const __m128i pairs = _mm_unpacklo_epi16(x, _mm_unpackhi_epi64(x, x));  // x0 x4 x1 x5 x2 x6 x3 x7
    const __m128i p = _mm_shuffle_epi32(pairs, 0x00);
    const __m128i u = _mm_shuffle_epi32(pairs, 0x55);
    const __m128i q = _mm_shuffle_epi32(pairs, 0xAA);
    const __m128i v = _mm_shuffle_epi32(pairs, 0xFF);
    const __m128i a = _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(p, t[0]), _mm_madd_epi16(q, t[1])),
                                    _mm_set1_epi32(rounder));
    const __m128i b = _mm_add_epi32(_mm_madd_epi16(u, t[2]), _mm_madd_epi16(v, t[3]));
    const __m128i low = _mm_srai_epi32(_mm_add_epi32(a, b), idct::rowShift);    // y0 y1 y2 y3
    const __m128i high = _mm_srai_epi32(_mm_sub_epi32(a, b), idct::rowShift);   // y7 y6 y5 y4
    return _mm_packs_epi32(low, _mm_shuffle_epi32(high, _MM_SHUFFLE(0, 1, 2, 3)));
}

void idctBlock(std::int16_t* block) {
    __m128i* rows = reinterpret_cast<__m128i*>(block);
    __m128i r[8];
    for (int i = 0; i < 8; ++i) r[i] = rowPass(rows[i], idct::rowMaddTable.w[idct::rowPairOf[i]], idct::rowRounder[i]);

    const __m128i tg1 = _mm_set1_epi16(idct::tg1);
    const __m128i tg2 = _mm_set1_epi16(idct::tg2);
    const __m128i tg3 = _mm_set1_epi16(idct::tg3);
    const __m128i cos4 = _mm_set1_epi16(idct::cos4);

    const __m128i t0 = _mm_adds_epi16(r[0], r[4]);
    const __m128i t1 = _mm_subs_epi16(r[0], r[4]);
    const __m128i tm26 = _mm_adds_epi16(r[2], _mm_mulhi_epi16(r[6], tg2));
    const __m128i tp26 = _mm_subs_epi16(_mm_mulhi_epi16(r[2], tg2), r[6]);

    const __m128i a0 = _mm_adds_epi16(t0, tm26);
    const __m128i a3 = _mm_subs_epi16(t0, tm26);
    const __m128i a1 = _mm_adds_epi16(t1, tp26);
    const __m128i a2 = _mm_subs_epi16(t1, tp26);

    const __m128i tp17 = _mm_subs_epi16(_mm_mulhi_epi16(r[1], tg1), r[7]);
    const __m128i tm17 = _mm_adds_epi16(_mm_mulhi_epi16(r[7], tg1), r[1]);
    const __m128i tm35 = _mm_adds_epi16(_mm_adds_epi16(_mm_mulhi_epi16(r[5], tg3), r[5]), r[3]);
    const __m128i tp35 = _mm_subs_epi16(_mm_adds_epi16(_mm_mulhi_epi16(r[3], tg3), r[3]), r[5]);

    const __m128i b0 = _mm_adds_epi16(tm17, tm35);
    const __m128i t2 = _mm_subs_epi16(tm17, tm35);
    const __m128i s = _mm_adds_epi16(tp17, tp35);
    const __m128i d = _mm_subs_epi16(tp17, tp35);

    const __m128i h1 = _mm_mulhi_epi16(_mm_adds_epi16(t2, s), cos4);
    const __m128i h2 = _mm_mulhi_epi16(_mm_subs_epi16(t2, s), cos4);
    const __m128i b1 = _mm_adds_epi16(h1, h1);
    const __m128i b2 = _mm_adds_epi16(h2, h2);

    constexpr int shift = idct::columnShift;
    rows[0] = _mm_srai_epi16(_mm_adds_epi16(a0, b0), shift);
    rows[7] = _mm_srai_epi16(_mm_subs_epi16(a0, b0), shift);
    rows[1] = _mm_srai_epi16(_mm_adds_epi16(a1, b1), shift);
    rows[6] = _mm_srai_epi16(_mm_subs_epi16(a1, b1), shift);
    rows[2] = _mm_srai_epi16(_mm_adds_epi16(a2, b2), shift);
    rows[5] = _mm_srai_epi16(_mm_subs_epi16(a2, b2), shift);
    rows[3] = _mm_srai_epi16(_mm_adds_epi16(a3, d), shift);
    rows[4] = _mm_srai_epi16(_mm_subs_epi16(a3, d), shift);
}

}  // namespace

void idct(std::int16_t* blocks, int count) {
    for (int n = 0; n < count; ++n, blocks += 64) {
        _mm_prefetch(reinterpret_cast<const char*>(blocks + 2 * 64), _MM_HINT_NTA);
        idctBlock(blocks);
    }
}

}  // namespace tl::kernels::sse2
