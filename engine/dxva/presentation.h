// Showing a decoded surface: DisplayFrame with a sample that carries the
// picture's times and the video and sample flags a renderer expects.
#pragma once
#include <cstdint>

#include "engine/dxva/accelerator.h"
#include "engine/framework/host_interfaces.h"

namespace tl::dxva {

struct Presentation {
    std::uint16_t surface = 0;
    ReferenceTime start = 0;
    ReferenceTime duration = 0;
    int mode = 0;  // the picture's deinterlace mode
    bool topFieldFirst = false;
    bool repeatField = false;
    std::int32_t pictureType = 0;
    bool discontinuity = false;
    const OutputFormat* newMediaType = nullptr;  // attached with type_changed when set
};

// Weave for the weave modes; otherwise field order and repeat as the picture has them.
std::uint32_t presentationVideoFlags(int mode, bool topFieldFirst, bool repeatField);

// Takes a sample from the host, gives it the times and flags and flips to the
// surface. Returns DisplayFrame's result, or the host's failure to give a sample.
HResult displayPicture(DxvaAccelerator& accelerator, DecoderHost& host, const Presentation& p);

}  // namespace tl::dxva
