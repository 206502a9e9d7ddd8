// The configuration exchange a DirectX VA connection starts with: probe and
// lock of the picture-decoding configuration, the compressed-buffer sizes,
// and in the modes that blend (B and D) probe and lock of alpha loading and
// combination. The filter runs it when its output pin connects; tlvdec and
// the tests run it against the software accelerator.
#pragma once
#include <cstdint>

#include "engine/dxva/accelerator.h"
#include "engine/dxva/dxva_structures.h"
#include "engine/framework/host_interfaces.h"

namespace tl::dxva {

// What a connection agreed on, as the host hands it to the decoder.
struct DxvaConnection {
    std::uint32_t surfaceCount = 0;
    AMVACompBufferInfo compBufferInfo[kCompBufferTypes]{};
    DXVA_ConfigPictureDecode config{};
    bool alphaBlend = false;
    DXVA_ConfigAlphaLoad alphaLoadConfig{};
    DXVA_ConfigAlphaCombine alphaCombineConfig{};
};

struct ModeRow {
    OutputSubtype subtype;
    std::uint16_t wRestrictedMode;
    std::uint32_t minimumSurfaces;
    bool alphaBlend;  // the mode negotiates alpha blending
};

// The row of a DXVA subtype; null for any other.
const ModeRow* findMode(OutputSubtype subtype);

// Steps after the accelerator's GUID and format queries. Fills everything but
// surfaceCount; the first failure of the picture-decoding probe, its lock or
// the buffer query is returned. Alpha blending that is refused leaves
// alphaBlend false and is no failure.
HResult configureDxva(DxvaAccelerator& accelerator, OutputSubtype subtype, DxvaConnection& result);

}  // namespace tl::dxva
