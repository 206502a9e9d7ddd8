// Blending over the layer overlay, written once for every SIMD tier. A tier's
// Ops brings the shared vector arithmetic (engine/base/simd_ops_*.h) plus:
// kPixels (pixels per register), load/store of that many pixels at any
// alignment, broadcastAlpha (word 3 of each widened pixel into all four of its
// words) and finish. Include only from files compiled for the tier.
#pragma once
#include <cstdint>
#include <cstring>

#include "convert/overlay_rules.h"

namespace tl {
namespace {  // each tier file gets its own copy, compiled with its own flags

// The per-pixel rule for the pixels a whole step leaves at a row's end.
inline void blendPixels(std::uint8_t* d, const std::uint8_t* s, int count, int sourceStep) {
    for (int i = 0; i < count; ++i, d += 4, s += sourceStep)
        for (int c = 0; c < 4; ++c) d[c] = overlay_rules::over(d[c], s[c], s[3]);
}

// 256 - alpha in every 16-bit lane of each pixel widened to words.
template <class Ops>
typename Ops::V inverseAlpha(typename Ops::V words) {
    return Ops::sub16(Ops::set16(256), Ops::broadcastAlpha(words));
}

// ((d * (256 - a)) >> 8) + s for one register of pixels; inv holds 256 - a per pixel.
template <class Ops>
typename Ops::V overPixels(typename Ops::V d, typename Ops::V s, typename Ops::V invLo, typename Ops::V invHi) {
    const auto z = Ops::zero();
    const auto lo = Ops::template srl16<8>(Ops::mullo16(Ops::unpacklo8(d, z), invLo));
    const auto hi = Ops::template srl16<8>(Ops::mullo16(Ops::unpackhi8(d, z), invHi));
    return Ops::add8(Ops::packus16(lo, hi), s);
}

template <class Ops>
void blendOverRows(std::uint8_t* dst, int dstPitch, const std::uint8_t* src, int srcPitch, int width,
                   int height) {
    constexpr int n = Ops::kPixels;
    const auto z = Ops::zero();
    for (int y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
        int x = 0;
        for (; x + n <= width; x += n) {
            const auto s = Ops::load(src + 4 * x);
            if (Ops::allZero(s)) continue;
            const auto invLo = inverseAlpha<Ops>(Ops::unpacklo8(s, z));
            const auto invHi = inverseAlpha<Ops>(Ops::unpackhi8(s, z));
            Ops::store(dst + 4 * x, overPixels<Ops>(Ops::load(dst + 4 * x), s, invLo, invHi));
        }
        blendPixels(dst + 4 * x, src + 4 * x, width - x, 4);
    }
    Ops::finish();
}

template <class Ops>
void fillOverRows(std::uint8_t* dst, int dstPitch, std::uint32_t colour, int width, int height) {
    constexpr int n = Ops::kPixels;
    const auto s = Ops::set32(colour);
    const auto inv = inverseAlpha<Ops>(Ops::unpacklo8(s, Ops::zero()));
    std::uint8_t one[4];
    std::memcpy(one, &colour, 4);
    for (int y = 0; y < height; ++y, dst += dstPitch) {
        int x = 0;
        for (; x + n <= width; x += n) Ops::store(dst + 4 * x, overPixels<Ops>(Ops::load(dst + 4 * x), s, inv, inv));
        blendPixels(dst + 4 * x, one, width - x, 0);
    }
    Ops::finish();
}

}  // namespace
}  // namespace tl
