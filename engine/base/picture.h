// One decoded picture: what the slice layer writes, the conversion stage reads
// and the DXVA path binds to a surface.
#pragma once
#include <cstdint>

#include "engine/base/reference_time.h"

namespace tl {

enum PictureCodingType : std::int32_t { PICTURE_I = 1, PICTURE_P = 2, PICTURE_B = 3 };

struct Picture {
    std::int32_t index = 0;            // position in the pool
    std::int32_t referenceCount = 0;   // 0 = free
    ReferenceTime time = kNoTime;      // presentation start
    ReferenceTime duration = 0;
    std::uint8_t skip = 0;             // frame skipping: neither decoded nor shown
    std::uint8_t progressiveSequence = 0;
    std::uint8_t interlaced = 0;       // needs deinterlacing
    std::uint8_t topFieldFirst = 0;
    std::uint8_t repeatField = 0;      // shown for three fields
    std::int32_t width = 0;            // horizontal_size
    std::int32_t height = 0;           // vertical_size
    std::int32_t aspectX = 0;
    std::int32_t aspectY = 0;
    std::int32_t pictureType = 0;      // picture_coding_type
    void* surface = nullptr;           // DXVA: the sample bound to the surface
    // Software planes, 256-byte aligned. Row stride: luma the coded width,
    // chroma the chroma width; a field is every second row.
    std::uint8_t* planes[3] = {nullptr, nullptr, nullptr};
    // Where each plane's share of the pool's memory starts (planes[] is
    // aligned within it).
    void* planeAllocations[3] = {nullptr, nullptr, nullptr};
    // The planes were never handed out: not yet painted black, their memory
    // possibly not yet committed by the system.
    std::uint8_t unpainted = 0;
    std::int32_t lumaSize = 0;         // coded width * coded height
    // Row strides, kept with the record so readers need no stream state.
    std::int32_t lumaStride = 0;
    std::int32_t chromaStride = 0;
    std::int32_t chromaFormat = 0;     // 1 4:2:0, 2 4:2:2, 3 4:4:4
};

}  // namespace tl
