// How the pictures of a stream are turned into pixels: the software slice layer
// or the DirectX VA path. The picture stage calls it once per picture, with the
// reader positioned at the picture's first slice start code.
#pragma once
#include <cstdint>

#include "engine/framework/bit_reader.h"
#include "engine/base/hresult.h"
#include "engine/base/picture.h"
#include "engine/framework/stream_state.h"

namespace tl {

struct PictureTargets {
    Picture* current = nullptr;         // the frame being decoded
    const Picture* forward = nullptr;   // older reference (null if none)
    const Picture* backward = nullptr;  // newer reference for B pictures (null if none)
    bool secondField = false;           // current is the second field of `current`
    bool conceal = false;               // fill what no slice reached from a reference
};

class DecodingPath {
public:
    virtual ~DecodingPath() = default;
    // Decodes every slice of the picture. Returns kPictureFinished (or 0) when
    // the picture ended at a non-slice start code, or the reader's failure.
    virtual HResult decodePicture(BitReader& reader, const StreamState& stream,
                                  const PictureTargets& targets) = 0;
    // Bitstream errors counted since the decoder was initialised.
    virtual std::uint32_t errors() const = 0;
    virtual void resetErrors() = 0;
};

}  // namespace tl
