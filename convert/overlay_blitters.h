// Drawing into the layer overlay: premultiplied B, G, R, A pixels with row
// pitches in bytes. Each tier gives the same bytes as the plain one
// (overlay_rules.h); the best the processor offers is chosen once per process.
#pragma once
#include <cstdint>

#include "engine/base/simd_tier.h"

namespace tl {

// dst := src over dst, width x height pixels. Groups of pixels whose source
// bytes are all 0 are skipped, which changes nothing.
using BlendOverFn = void (*)(std::uint8_t* dst, int dstPitch, const std::uint8_t* src, int srcPitch, int width,
                             int height);
// dst := colour over dst; colour is premultiplied 0xAARRGGBB.
using FillOverFn = void (*)(std::uint8_t* dst, int dstPitch, std::uint32_t colour, int width, int height);
// All four bytes of every pixel to 0.
using ClearFn = void (*)(std::uint8_t* dst, int dstPitch, int width, int height);
// Each horizontal pair of pixels, in place, into the YUY2 overlay form
// (overlay_rules::yuy2Pair); width is even (an odd last pixel is left as it is).
using Yuy2FormFn = void (*)(std::uint8_t* dst, int dstPitch, int width, int height);

struct OverlayRoutines {
    BlendOverFn blendOver;
    FillOverFn fillOver;
    ClearFn clear;
    Yuy2FormFn toYuy2Form;
};

// A tier's routines; where a tier brings nothing of its own for a routine
// (clearing below SSE2, the YUY2 form with SSE3) it uses the one of the tier below.
const OverlayRoutines& overlayRoutinesOf(KernelTier tier);
// The routines of the detected tier, chosen on the first call.
const OverlayRoutines& overlayRoutines();

namespace plain {
void blendOver(std::uint8_t* dst, int dstPitch, const std::uint8_t* src, int srcPitch, int width, int height);
void fillOver(std::uint8_t* dst, int dstPitch, std::uint32_t colour, int width, int height);
void clear(std::uint8_t* dst, int dstPitch, int width, int height);
void toYuy2Form(std::uint8_t* dst, int dstPitch, int width, int height);
}  // namespace plain
namespace mmx {
void blendOver(std::uint8_t* dst, int dstPitch, const std::uint8_t* src, int srcPitch, int width, int height);
void fillOver(std::uint8_t* dst, int dstPitch, std::uint32_t colour, int width, int height);
void toYuy2Form(std::uint8_t* dst, int dstPitch, int width, int height);
}  // namespace mmx
namespace sse {
void blendOver(std::uint8_t* dst, int dstPitch, const std::uint8_t* src, int srcPitch, int width, int height);
void fillOver(std::uint8_t* dst, int dstPitch, std::uint32_t colour, int width, int height);
void toYuy2Form(std::uint8_t* dst, int dstPitch, int width, int height);
}  // namespace sse
namespace sse2 {
void blendOver(std::uint8_t* dst, int dstPitch, const std::uint8_t* src, int srcPitch, int width, int height);
void fillOver(std::uint8_t* dst, int dstPitch, std::uint32_t colour, int width, int height);
void clear(std::uint8_t* dst, int dstPitch, int width, int height);
void toYuy2Form(std::uint8_t* dst, int dstPitch, int width, int height);
}  // namespace sse2
namespace sse3 {
void blendOver(std::uint8_t* dst, int dstPitch, const std::uint8_t* src, int srcPitch, int width, int height);
void fillOver(std::uint8_t* dst, int dstPitch, std::uint32_t colour, int width, int height);
}  // namespace sse3

}  // namespace tl
