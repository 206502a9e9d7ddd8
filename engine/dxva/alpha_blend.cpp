#include "engine/dxva/alpha_blend.h"

#include "engine/dxva/ayuv_form.h"
#include "engine/dxva/pending_retry.h"

namespace tl::dxva {

HResult loadLayerImage(DxvaAccelerator& accelerator, const OverlayView& overlay, const DamageRect& rect,
                       std::uint32_t cpuFeatures) {
    void* buffer = nullptr;
    std::int32_t stride = 0;
    if (HResult r = accelerator.getBuffer(DXVA_AYUV_BUFFER, 0, false, &buffer, &stride); failed(r)) return r;
    if (!buffer) return hr::e_pointer;
    if (stride <= 0) stride = 4 * overlay.width;
    convertToAyuv(overlay.pixels, overlay.pitch, static_cast<std::uint8_t*>(buffer), stride, rect,
                  ayuvRowKernel(cpuFeatures));
    const std::uint32_t size = std::uint32_t(overlay.height) * std::uint32_t(stride);
    AMVABUFFERINFO info{DXVA_AYUV_BUFFER, 0, 0, size};
    DXVA_BufferDescription description{};
    description.dwTypeIndex = DXVA_AYUV_BUFFER;
    description.dwDataSize = size;
    description.dwWidth = std::uint32_t(overlay.width);
    description.dwHeight = std::uint32_t(overlay.height);
    description.dwStride = std::uint32_t(stride);
    std::uint32_t status = 0;
    const HResult r = accelerator.execute(kAlphaBlendDataLoadFunction, &description, sizeof description, &status,
                                          sizeof status, 1, &info);
    accelerator.releaseBuffer(DXVA_AYUV_BUFFER, 0);
    return r;
}

HResult blendLayerBand(DxvaAccelerator& accelerator, std::uint16_t source, std::uint16_t destination, int width,
                       int height, int bandTop, int bandBottom) {
    std::uint16_t surface = destination;
    AMVABeginFrameInfo begin{surface, &surface, sizeof surface, nullptr, 0};
    if (HResult r = retryWhilePending([&] { return accelerator.beginFrame(begin); }); failed(r)) return r;

    HResult executed = hr::e_fail;
    void* buffer = nullptr;
    std::int32_t stride = 0;
    if (!failed(accelerator.getBuffer(DXVA_ALPHA_BLEND_COMBINATION_BUFFER, 0, false, &buffer, &stride)) && buffer) {
        DXVA_BlendCombination blend{};
        blend.wPictureSourceIndex = source;
        blend.wBlendedDestinationIndex = destination;
        blend.PictureSourceRect16thPel = Rect{0, 0, width * 16, height * 16};
        blend.PictureDestinationRect = Rect{0, 0, width, height};
        blend.GraphicSourceRect = Rect{0, bandTop, width, bandBottom};
        blend.GraphicDestinationRect = blend.GraphicSourceRect;
        blend.bWholePlaneAlpha = 255;
        *static_cast<DXVA_BlendCombination*>(buffer) = blend;
        AMVABUFFERINFO info{DXVA_ALPHA_BLEND_COMBINATION_BUFFER, 0, 0, sizeof blend};
        DXVA_BufferDescription description{};
        description.dwTypeIndex = DXVA_ALPHA_BLEND_COMBINATION_BUFFER;
        description.dwDataSize = sizeof blend;
        std::uint32_t status = 0;
        executed = accelerator.execute(kAlphaBlendCombinationFunction, &description, sizeof description, &status,
                                       sizeof status, 1, &info);
        accelerator.releaseBuffer(DXVA_ALPHA_BLEND_COMBINATION_BUFFER, 0);
    }
    AMVAEndFrameInfo end{sizeof surface, &surface};
    accelerator.endFrame(end);
    if (failed(executed)) return executed;
    return retryWhilePending([&] { return accelerator.queryRenderStatus(kRenderStatusAnyType, surface, 0); });
}

}  // namespace tl::dxva
