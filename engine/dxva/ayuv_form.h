// The layer overlay as an accelerator blends it: each premultiplied B, G, R, A
// pixel un-premultiplied and turned into video-range Y, Cb, Cr with its alpha,
// stored as the four bytes of DXVA_AYUVsample2 (Cr, Cb, Y, alpha). Every form
// gives the plain form's bytes.
#pragma once
#include <cstdint>

#include "engine/framework/damage_queue.h"

namespace tl::dxva {

// One row of `pixels` overlay pixels into AYUV samples.
using AyuvRowKernel = void (*)(const std::uint8_t* overlay, std::uint8_t* ayuv, int pixels);
void ayuvRowPlain(const std::uint8_t* overlay, std::uint8_t* ayuv, int pixels);
void ayuvRowSse2(const std::uint8_t* overlay, std::uint8_t* ayuv, int pixels);

// The SSE2 form when the processor-feature word has SSE2 (bit 26), else the plain one.
AyuvRowKernel ayuvRowKernel(std::uint32_t cpuFeatures);

// Converts `rect` of the overlay (pitch in bytes) into the same position of
// the AYUV buffer (stride in bytes).
void convertToAyuv(const std::uint8_t* overlay, int overlayPitch, std::uint8_t* ayuv, int ayuvStride,
                   const DamageRect& rect, AyuvRowKernel kernel);

}  // namespace tl::dxva
