#include "engine/dxva/ayuv_form.h"

#include <algorithm>

namespace tl::dxva {
namespace {

// BT.601 luma weights over 65536; the colour differences scaled by 0.4938
// and 0.6241 (over 32768) with the 128.5 offset, so Cb and Cr stay in 2..254.
constexpr int kLumaR = 19595, kLumaG = 38470, kLumaB = 7471;
constexpr int kCbScale = 16181, kCrScale = 20451;
constexpr int kChromaOffset = 8224 << 9;  // 128.5 over 32768

inline int unpremultiply(int colour, int alpha) { return alpha ? std::min(255, colour * 256 / alpha) : 0; }

}  // namespace

void convertToAyuv(const std::uint8_t* overlay, int overlayPitch, std::uint8_t* ayuv, int ayuvStride,
                   const DamageRect& rect) {
    for (int y = rect.top; y < rect.bottom; ++y) {
        const std::uint8_t* src = overlay + std::ptrdiff_t(y) * overlayPitch + 4 * rect.left;
        std::uint8_t* dst = ayuv + std::ptrdiff_t(y) * ayuvStride + 4 * rect.left;
        for (int x = rect.left; x < rect.right; ++x, src += 4, dst += 4) {
            const int a = src[3];
            const int b = unpremultiply(src[0], a), g = unpremultiply(src[1], a), r = unpremultiply(src[2], a);
            const int luma = (kLumaR * r + kLumaG * g + kLumaB * b + 32768) >> 16;
            dst[0] = std::uint8_t(((r - luma) * kCrScale + kChromaOffset) >> 15);
            dst[1] = std::uint8_t(((b - luma) * kCbScale + kChromaOffset) >> 15);
            dst[2] = std::uint8_t((luma * 219 + 4224) >> 8);
            dst[3] = std::uint8_t(a);
        }
    }
}

}  // namespace tl::dxva
