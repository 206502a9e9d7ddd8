#include "engine/dxva/ayuv_form.h"

#include "engine/dxva/ayuv_rules.h"
#include "engine/base/cpu_features.h"

namespace tl::dxva {

void ayuvRowPlain(const std::uint8_t* src, std::uint8_t* dst, int pixels) {
    using namespace ayuv;
    for (int x = 0; x < pixels; ++x, src += 4, dst += 4) {
        const int a = src[3];
        const int b = unpremultiply(src[0], a), g = unpremultiply(src[1], a), r = unpremultiply(src[2], a);
        const int luma = (kLumaR * r + kLumaG * g + kLumaB * b + 32768) >> 16;
        dst[0] = std::uint8_t(((r - luma) * kCrScale + kChromaOffset) >> 15);
        dst[1] = std::uint8_t(((b - luma) * kCbScale + kChromaOffset) >> 15);
        dst[2] = std::uint8_t((luma * kLumaRange + kLumaOffset) >> 8);
        dst[3] = std::uint8_t(a);
    }
}

AyuvRowKernel ayuvRowKernel(std::uint32_t cpuFeatures) {
    return tierOfFeatures(cpuFeatures) >= KernelTier::SSE2 ? ayuvRowSse2 : ayuvRowPlain;
}

void convertToAyuv(const std::uint8_t* overlay, int overlayPitch, std::uint8_t* ayuv, int ayuvStride,
                   const DamageRect& rect, AyuvRowKernel kernel) {
    for (int y = rect.top; y < rect.bottom; ++y)
        kernel(overlay + std::ptrdiff_t(y) * overlayPitch + 4 * rect.left,
               ayuv + std::ptrdiff_t(y) * ayuvStride + 4 * rect.left, rect.right - rect.left);
}

}  // namespace tl::dxva
