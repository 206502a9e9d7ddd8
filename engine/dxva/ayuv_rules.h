// The arithmetic of the AYUV form, shared by its kernels.
#pragma once
#include <cstdint>

namespace tl::dxva::ayuv {

// BT.601 luma weights over 65536; the colour differences scaled by 0.4938
// and 0.6241 (over 32768) with the 128.5 offset, so Cb and Cr stay in 2..254.
inline constexpr int kLumaR = 19595, kLumaG = 38470, kLumaB = 7471;
inline constexpr int kCbScale = 16181, kCrScale = 20451;
inline constexpr int kChromaOffset = 8224 << 9;  // 128.5 over 32768
// Video-range luma: (L * 219 + 4224) >> 8.
inline constexpr int kLumaRange = 219, kLumaOffset = 4224;

// colour * 256 / alpha, at most 255; 0 without alpha.
inline int unpremultiply(int colour, int alpha) {
    if (!alpha) return 0;
    const int v = colour * 256 / alpha;
    return v < 255 ? v : 255;
}

}  // namespace tl::dxva::ayuv
