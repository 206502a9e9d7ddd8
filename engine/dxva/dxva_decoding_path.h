// Decoding through a DirectX VA 1 accelerator: the slices are parsed by the
// same parsers as the software path, but instead of being reconstructed each
// picture becomes picture parameters, macroblock control records and residuals
// (spatial from the host inverse DCT, or run lists for the accelerator's own)
// in the accelerator's buffers. Only 4:2:0 is sent; other pictures are passed over.
#pragma once
#include <memory>

#include "engine/dxva/accelerator.h"
#include "engine/dxva/dxva_structures.h"
#include "engine/framework/decoding_path.h"

namespace tl {

class DxvaDecodingPath : public DecodingPath {
public:
    // The connection's accelerator, its locked picture-decoding configuration
    // and the capacities of its compressed buffers (kCompBufferTypes records,
    // indexed by buffer type). Set before the first picture.
    virtual void connect(DxvaAccelerator* accelerator, const dxva::DXVA_ConfigPictureDecode& config,
                         const dxva::AMVACompBufferInfo* compBufferInfo) = 0;
};

std::unique_ptr<DxvaDecodingPath> makeDxvaDecodingPath();

}  // namespace tl
