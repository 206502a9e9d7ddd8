// The overlay routines on 8-byte MMX registers, two pixels (one YUY2 pair) per
// step, for the MMX and SSE tiers, which differ only in their arithmetic base
// (simd::Mmx or simd::Sse) and the two lane moves each tier file adds:
// broadcastAlpha and swapDwords. Blending is the shared overlay_rows.h.
// Include only from files compiled for MMX.
#pragma once
#include <mmintrin.h>

#include <cstring>

#include "convert/overlay_rows.h"

namespace tl {
namespace {  // each tier file gets its own copy, compiled with its own flags

template <class Arith>
struct MmxPixelOps : Arith {
    using V = typename Arith::V;
    static constexpr int kPixels = 2;
    static V load(const std::uint8_t* p) {
        V v;
        std::memcpy(&v, p, 8);
        return v;
    }
    static void store(std::uint8_t* p, V v) { std::memcpy(p, &v, 8); }
    static void finish() { _mm_empty(); }
};

// One pair per step; see overlay_rules::yuy2Pair for the arithmetic.
template <class Ops>
void toYuy2FormRows(std::uint8_t* dst, int dstPitch, int width, int height) {
    namespace w = overlay_rules;
    const __m64 z = _mm_setzero_si64();
    // Words A, R, G, B from the top.
    const __m64 lumaWeights = _mm_set_pi16(0, w::kLumaWeightR, w::kLumaWeightG, w::kLumaWeightB);
    const __m64 byteMask = _mm_set1_pi32(0xFF);
    const __m64 cbScale = _mm_set1_pi16(w::kCbScale), crScale = _mm_set1_pi16(w::kCrScale);
    const __m64 one = _mm_set1_pi32(1);
    for (int y = 0; y < height; ++y, dst += dstPitch) {
        for (int x = 0; x + 2 <= width; x += 2) {
            std::uint8_t* p = dst + 4 * x;
            const __m64 px = Ops::load(p);
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
            Ops::store(p, _mm_packs_pu16(colour, alpha));
        }
    }
    _mm_empty();
}

}  // namespace
}  // namespace tl
