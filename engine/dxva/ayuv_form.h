// The layer overlay as an accelerator blends it: each premultiplied B, G, R, A
// pixel un-premultiplied and turned into video-range Y, Cb, Cr with its alpha,
// stored as the four bytes of DXVA_AYUVsample2 (Cr, Cb, Y, alpha).
#pragma once
#include <cstdint>

#include "engine/framework/damage_queue.h"

namespace tl::dxva {

// Converts `rect` of the overlay (pitch in bytes) into the same position of
// the AYUV buffer (stride in bytes).
void convertToAyuv(const std::uint8_t* overlay, int overlayPitch, std::uint8_t* ayuv, int ayuvStride,
                   const DamageRect& rect);

}  // namespace tl::dxva
