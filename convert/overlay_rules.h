// The pixel rules of the layer overlay one pixel at a time. The overlay holds
// premultiplied B, G, R, A bytes (colours 0xAARRGGBB as little-endian words):
// the plain routines are written from these and the SIMD tiers must match them.
#pragma once
#include <algorithm>
#include <cstdint>

namespace tl::overlay_rules {

// c * a / 255 without a division: t = c * a, ((t >> 8) + t) >> 8.
inline int scale(int c, int a) {
    const int t = c * a;
    return ((t >> 8) + t) >> 8;
}

// 0xAARRGGBB with each colour channel multiplied by its alpha.
inline std::uint32_t premultiply(std::uint32_t colour) {
    const int a = int(colour >> 24);
    return (colour & 0xFF000000u) | std::uint32_t(scale(int(colour >> 16) & 0xFF, a)) << 16 |
           std::uint32_t(scale(int(colour >> 8) & 0xFF, a)) << 8 | std::uint32_t(scale(int(colour) & 0xFF, a));
}

// Source over destination for one byte; s is premultiplied by a. The sum stays
// within a byte for valid premultiplied input and wraps as a byte store would otherwise.
inline std::uint8_t over(int d, int s, int a) { return static_cast<std::uint8_t>(((d * (256 - a)) >> 8) + s); }

// A text pixel: coverage v (0..255) of the foreground 0xAARRGGBB over the
// premultiplied background. Full and no coverage take the colours as they are.
inline std::uint32_t coverageOver(std::uint32_t background, std::uint32_t foreground, int v) {
    if (v == 0) return background;
    if (v == 255) return premultiply(foreground);
    const int a = (int(foreground >> 24) * (v + 1)) >> 8;
    std::uint32_t pixel = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int c = scale(int(foreground >> shift) & 0xFF, a) + ((int(background >> shift & 0xFF) * (256 - a)) >> 8);
        pixel |= std::uint32_t(std::min(c, 255)) << shift;
    }
    const int alpha = ((int(background >> 24) * (256 - a)) >> 8) + a;
    return pixel | std::uint32_t(std::min(alpha, 255)) << 24;
}

// BT.601 luma weights scaled to 32768 (their sum), and the Cb and Cr scales
// 0.564 and 0.713 scaled to 2^23 / 128 for colour differences in 1/128 units.
inline constexpr int kLumaWeightR = 9798, kLumaWeightG = 19235, kLumaWeightB = 3735;
inline constexpr int kCbScale = 18492, kCrScale = 23372;

// One horizontal pair of premultiplied pixels (8 bytes) in the form the YUY2
// kernels blend: Y0, Cb, Y1, Cr, then a0, a_avg, a1, a_avg. Luma uses the BT.601
// weights scaled to 32768; the colour differences are taken in 1/128 units, the
// pair's chroma is their average scaled by 0.564 (Cb) and 0.713 (Cr), plus the
// video chroma offset 128 scaled by the pair's coverage.
inline void yuy2Pair(const std::uint8_t* in, std::uint8_t* out) {
    int luma[2], sumB = 0, sumR = 0;
    for (int i = 0; i < 2; ++i) {
        const std::uint8_t* p = in + 4 * i;
        const int half = kLumaWeightR * p[2] + kLumaWeightG * p[1] + kLumaWeightB * p[0];  // Y in 1/65536, halved
        luma[i] = half >> 15;
        const int y128 = half >> 8;
        sumB += p[0] * 128 - y128;
        sumR += p[2] * 128 - y128;
    }
    const int a0 = in[3], a1 = in[7];
    const int aAvg = (a0 + a1 + 1) >> 1;
    const int cb = ((kCbScale * sumB) >> 23) + (aAvg >> 1);
    const int cr = ((kCrScale * sumR) >> 23) + (aAvg >> 1);
    const auto sat = [](int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); };
    const std::uint8_t form[8] = {sat(luma[0]), sat(cb), sat(luma[1]), sat(cr), std::uint8_t(a0),
                                  std::uint8_t(aAvg), std::uint8_t(a1), std::uint8_t(aAvg)};
    std::copy(form, form + 8, out);
}

}  // namespace tl::overlay_rules
