// The overlay routines on 16-byte SSE2 registers, four pixels (two YUY2 pairs)
// per step, written once for the SSE2 and SSE3 tiers, which differ only in how
// they load unaligned source bytes. Include only from files compiled for SSE2.
#pragma once
#include <emmintrin.h>

#include <cstring>

#include "convert/overlay_rules.h"

namespace tl {
namespace {  // each tier file gets its own copy, compiled with its own flags

inline void storeu(std::uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

inline void blendPixels(std::uint8_t* d, const std::uint8_t* s, int count, int sourceStep) {
    for (int i = 0; i < count; ++i, d += 4, s += sourceStep)
        for (int c = 0; c < 4; ++c) d[c] = overlay_rules::over(d[c], s[c], s[3]);
}

// 256 - alpha in every 16-bit lane of each of the two pixels widened to words.
inline __m128i inverseAlpha(__m128i words) {
    const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(words, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
    return _mm_sub_epi16(_mm_set1_epi16(256), a);
}

inline __m128i overFour(__m128i d, __m128i s, __m128i invLo, __m128i invHi) {
    const __m128i z = _mm_setzero_si128();
    const __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, z), invLo), 8);
    const __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, z), invHi), 8);
    return _mm_add_epi8(_mm_packus_epi16(lo, hi), s);
}

template <class Load>
void blendOverRows(std::uint8_t* dst, int dstPitch, const std::uint8_t* src, int srcPitch, int width,
                   int height) {
    const __m128i z = _mm_setzero_si128();
    for (int y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
        int x = 0;
        for (; x + 4 <= width; x += 4) {
            const __m128i s = Load::unaligned(src + 4 * x);
            if (_mm_movemask_epi8(_mm_cmpeq_epi8(s, z)) == 0xFFFF) continue;
            const __m128i d = Load::unaligned(dst + 4 * x);
            const __m128i invLo = inverseAlpha(_mm_unpacklo_epi8(s, z));
            const __m128i invHi = inverseAlpha(_mm_unpackhi_epi8(s, z));
            storeu(dst + 4 * x, overFour(d, s, invLo, invHi));
        }
        blendPixels(dst + 4 * x, src + 4 * x, width - x, 4);
    }
}

template <class Load>
void fillOverRows(std::uint8_t* dst, int dstPitch, std::uint32_t colour, int width, int height) {
    const __m128i s = _mm_set1_epi32(static_cast<int>(colour));
    const __m128i inv = inverseAlpha(_mm_unpacklo_epi8(s, _mm_setzero_si128()));
    std::uint8_t one[4];
    std::memcpy(one, &colour, 4);
    for (int y = 0; y < height; ++y, dst += dstPitch) {
        int x = 0;
        for (; x + 4 <= width; x += 4) storeu(dst + 4 * x, overFour(Load::unaligned(dst + 4 * x), s, inv, inv));
        blendPixels(dst + 4 * x, one, width - x, 0);
    }
}

// Two pairs per step; see overlay_rules::yuy2Pair for the arithmetic.
inline __m128i yuy2FourPixels(__m128i px) {
    const __m128i z = _mm_setzero_si128();
    const __m128i lumaWeights = _mm_set_epi16(0, 9798, 19235, 3735, 0, 9798, 19235, 3735);
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
        _mm_srai_epi32(_mm_madd_epi16(_mm_packs_epi32(db, db), _mm_set1_epi16(18492)), 23), offset);
    const __m128i cr = _mm_add_epi32(
        _mm_srai_epi32(_mm_madd_epi16(_mm_packs_epi32(dr, dr), _mm_set1_epi16(23372)), 23), offset);
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
            storeu(p, yuy2FourPixels(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
        }
        if (x + 2 <= width) overlay_rules::yuy2Pair(dst + 4 * x, dst + 4 * x);
    }
}

}  // namespace
}  // namespace tl
