// The overlay routines on 8-byte MMX registers, two pixels (one YUY2 pair) per
// step, written once for the MMX and SSE tiers, which differ only in the two
// lane moves below. Include only from files compiled for MMX.
#pragma once
#include <mmintrin.h>

#include <cstring>

#include "convert/overlay_rules.h"

namespace tl {
namespace {  // each tier file gets its own copy, compiled with its own flags

inline __m64 load8(const std::uint8_t* p) {
    __m64 v;
    std::memcpy(&v, p, 8);
    return v;
}
inline void store8(std::uint8_t* p, __m64 v) { std::memcpy(p, &v, 8); }

// The per-pixel rule for the odd pixel a two-pixel step leaves at a row's end.
inline void blendPixel(std::uint8_t* d, const std::uint8_t* s) {
    for (int c = 0; c < 4; ++c) d[c] = overlay_rules::over(d[c], s[c], s[3]);
}

// (256 - alpha) in every 16-bit lane of a pixel whose bytes were widened to words.
template <class Ops>
__m64 inverseAlpha(__m64 words) {
    return _mm_sub_pi16(_mm_set1_pi16(256), Ops::broadcastWord3(words));
}

// ((d * (256 - a)) >> 8) + s for two pixels; inv holds 256 - a per pixel.
inline __m64 overTwo(__m64 d, __m64 s, __m64 invLo, __m64 invHi) {
    const __m64 z = _mm_setzero_si64();
    const __m64 lo = _mm_srli_pi16(_mm_mullo_pi16(_mm_unpacklo_pi8(d, z), invLo), 8);
    const __m64 hi = _mm_srli_pi16(_mm_mullo_pi16(_mm_unpackhi_pi8(d, z), invHi), 8);
    return _mm_add_pi8(_mm_packs_pu16(lo, hi), s);
}

template <class Ops>
void blendOverRows(std::uint8_t* dst, int dstPitch, const std::uint8_t* src, int srcPitch, int width,
                   int height) {
    const __m64 z = _mm_setzero_si64();
    for (int y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
        int x = 0;
        for (; x + 2 <= width; x += 2) {
            const __m64 s = load8(src + 4 * x);
            if (_mm_cvtsi64_si32(_mm_or_si64(s, _mm_srli_si64(s, 32))) == 0) continue;
            const __m64 invLo = inverseAlpha<Ops>(_mm_unpacklo_pi8(s, z));
            const __m64 invHi = inverseAlpha<Ops>(_mm_unpackhi_pi8(s, z));
            store8(dst + 4 * x, overTwo(load8(dst + 4 * x), s, invLo, invHi));
        }
        if (x < width) blendPixel(dst + 4 * x, src + 4 * x);
    }
    _mm_empty();
}

template <class Ops>
void fillOverRows(std::uint8_t* dst, int dstPitch, std::uint32_t colour, int width, int height) {
    const __m64 s = _mm_set1_pi32(static_cast<int>(colour));
    const __m64 inv = inverseAlpha<Ops>(_mm_unpacklo_pi8(s, _mm_setzero_si64()));
    std::uint8_t one[4];
    std::memcpy(one, &colour, 4);
    for (int y = 0; y < height; ++y, dst += dstPitch) {
        int x = 0;
        for (; x + 2 <= width; x += 2) store8(dst + 4 * x, overTwo(load8(dst + 4 * x), s, inv, inv));
        if (x < width) blendPixel(dst + 4 * x, one);
    }
    _mm_empty();
}

// One pair per step; see overlay_rules::yuy2Pair for the arithmetic.
template <class Ops>
void toYuy2FormRows(std::uint8_t* dst, int dstPitch, int width, int height) {
    const __m64 z = _mm_setzero_si64();
    const __m64 lumaWeights = _mm_set_pi16(0, 9798, 19235, 3735);  // words A, R, G, B from the top
    const __m64 byteMask = _mm_set1_pi32(0xFF);
    const __m64 cbScale = _mm_set1_pi16(18492), crScale = _mm_set1_pi16(23372);
    const __m64 one = _mm_set1_pi32(1);
    for (int y = 0; y < height; ++y, dst += dstPitch) {
        for (int x = 0; x + 2 <= width; x += 2) {
            std::uint8_t* p = dst + 4 * x;
            const __m64 px = load8(p);
            const __m64 m0 = _mm_madd_pi16(_mm_unpacklo_pi8(px, z), lumaWeights);
            const __m64 m1 = _mm_madd_pi16(_mm_unpackhi_pi8(px, z), lumaWeights);
            const __m64 half = _mm_add_pi32(_mm_unpacklo_pi32(m0, m1), _mm_unpackhi_pi32(m0, m1));
            const __m64 luma = _mm_srai_pi32(half, 15);
            const __m64 y128 = _mm_srai_pi32(half, 8);
            const __m64 b = _mm_and_si64(px, byteMask);
            const __m64 r = _mm_and_si64(_mm_srli_pi32(px, 16), byteMask);
            const __m64 a = _mm_srli_pi32(px, 24);
            const __m64 db = _mm_sub_pi32(_mm_slli_pi32(b, 7), y128);
            const __m64 dr = _mm_sub_pi32(_mm_slli_pi32(r, 7), y128);
            const __m64 avg = _mm_srli_pi32(_mm_add_pi32(_mm_add_pi32(a, Ops::swapDwords(a)), one), 1);
            const __m64 offset = _mm_srli_pi32(avg, 1);
            const __m64 cb = _mm_add_pi32(_mm_srai_pi32(_mm_madd_pi16(_mm_packs_pi32(db, db), cbScale), 23), offset);
            const __m64 cr = _mm_add_pi32(_mm_srai_pi32(_mm_madd_pi16(_mm_packs_pi32(dr, dr), crScale), 23), offset);
            const __m64 colour =
                _mm_unpacklo_pi16(_mm_packs_pi32(luma, z), _mm_packs_pi32(_mm_unpacklo_pi32(cb, cr), z));
            const __m64 alpha = _mm_unpacklo_pi16(_mm_packs_pi32(a, z), _mm_packs_pi32(avg, z));
            store8(p, _mm_packs_pu16(colour, alpha));
        }
    }
    _mm_empty();
}

}  // namespace
}  // namespace tl
