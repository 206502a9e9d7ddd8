// The accelerator blends the layer overlay: the changed parts of the overlay
// are loaded into its AYUV surface, and before a picture is shown the loaded
// band is blended over a copy of it in a free surface.
#pragma once
#include <cstdint>

#include "engine/dxva/accelerator.h"
#include "engine/framework/damage_queue.h"

namespace tl::dxva {

struct OverlayView {
    const std::uint8_t* pixels;  // premultiplied B, G, R, A
    int pitch;                   // bytes
    int width, height;
};

// Converts `rect` of the overlay into the AYUV buffer with the form the
// processor-feature word chooses, and executes the data load.
HResult loadLayerImage(DxvaAccelerator& accelerator, const OverlayView& overlay, const DamageRect& rect,
                       std::uint32_t cpuFeatures);

// Blends rows [bandTop, bandBottom) of the loaded image over surface `source`
// (width x height samples) into surface `destination`. Succeeds only when the
// accelerator finished the blend.
HResult blendLayerBand(DxvaAccelerator& accelerator, std::uint16_t source, std::uint16_t destination, int width,
                       int height, int bandTop, int bandBottom);

}  // namespace tl::dxva
