// The overlay routines on 16-byte SSE2 registers, four pixels (two YUY2 pairs)
// per step, for the SSE2 and SSE3 tiers, which differ only in how they load
// unaligned source bytes. Blending is the shared overlay_rows.h. Include only
// from files compiled for SSE2.
#pragma once
#include <emmintrin.h>

#include <cstring>

#include "convert/overlay_rows.h"
#include "engine/base/simd_ops_sse2.h"

namespace tl {
namespace {  // each tier file gets its own copy, compiled with its own flags

struct Sse2PixelOps : simd::Sse2 {
    static constexpr int kPixels = 4;
    static V load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static void store(std::uint8_t* p, V v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
    static void finish() {}
    static V broadcastAlpha(V words) {
        return _mm_shufflehi_epi16(_mm_shufflelo_epi16(words, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
    }
};

// Two pairs per step; see overlay_rules::yuy2Pair for the arithmetic.
inline __m128i yuy2FourPixels(__m128i px) {
    namespace w = overlay_rules;
    const __m128i z = _mm_setzero_si128();
    const __m128i lumaWeights = _mm_set_epi16(0, w::kLumaWeightR, w::kLumaWeightG, w::kLumaWeightB,  //
                                              0, w::kLumaWeightR, w::kLumaWeightG, w::kLumaWeightB);
    const __m128i byteMask = _mm_set1_epi32(0xFF);
    // Per pixel (B * wb + G * wg, R * wr) as dwords, then the two halves added.
    const __m128i m0 = _mm_shuffle_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(px, z), lumaWeights), _MM_SHUFFLE(3, 1, 2, 0));
    const __m128i m1 = _mm_shuffle_epi32(_mm_madd_epi16(_mm_unpackhi_epi8(px, z), lumaWeights), _MM_SHUFFLE(3, 1, 2, 0));
    const __m128i half = _mm_add_epi32(_mm_unpacklo_epi64(m0, m1), _mm_unpackhi_epi64(m0, m1));
    const __m128i luma = _mm_srai_epi32(half, 15);
    const __m128i y128 = _mm_srai_epi32(half, 8);
    const __m128i b = _mm_and_si128(px, byteMask);
    const __m128i r = _mm_and_si128(_mm_srli_epi32(px, 16), byteMask);
    const __m128i a = _mm_srli_epi32(px, 24);
    const __m128i db = _mm_sub_epi32(_mm_slli_epi32(b, 7), y128);
    const __m128i dr = _mm_sub_epi32(_mm_slli_epi32(r, 7), y128);
    // Pair averages of alpha [m01, m01, m23, m23]; the chroma offsets [m01, m23, ...] / 2.
    const __m128i pairSum = _mm_add_epi32(a, _mm_shuffle_epi32(a, _MM_SHUFFLE(2, 3, 0, 1)));
    const __m128i avg = _mm_srli_epi32(_mm_add_epi32(pairSum, _mm_set1_epi32(1)), 1);
    const __m128i offset = _mm_srli_epi32(_mm_shuffle_epi32(avg, _MM_SHUFFLE(2, 0, 2, 0)), 1);
    // madd over the words [d0, d1, d2, d3] adds each pair's differences: [c01, c23, c01, c23].
    const __m128i cb = _mm_add_epi32(
        _mm_srai_epi32(_mm_madd_epi16(_mm_packs_epi32(db, db), _mm_set1_epi16(w::kCbScale)), 23), offset);
    const __m128i cr = _mm_add_epi32(
        _mm_srai_epi32(_mm_madd_epi16(_mm_packs_epi32(dr, dr), _mm_set1_epi16(w::kCrScale)), 23), offset);
    const __m128i chroma = _mm_unpacklo_epi32(cb, cr);
    const __m128i first = _mm_packs_epi32(_mm_unpacklo_epi32(luma, chroma), _mm_unpacklo_epi32(a, avg));
    const __m128i second = _mm_packs_epi32(_mm_unpackhi_epi32(luma, chroma), _mm_unpackhi_epi32(a, avg));
    return _mm_packus_epi16(first, second);
}

inline void toYuy2FormRows(std::uint8_t* dst, int dstPitch, int width, int height) {
    for (int y = 0; y < height; ++y, dst += dstPitch) {
        int x = 0;
        for (; x + 4 <= width; x += 4) {
            std::uint8_t* p = dst + 4 * x;
            Sse2PixelOps::store(p, yuy2FourPixels(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
        }
        if (x + 2 <= width) overlay_rules::yuy2Pair(dst + 4 * x, dst + 4 * x);
    }
}

}  // namespace
}  // namespace tl
