// Per-picture decisions of the output stage that depend only on their inputs:
// display duration and field flags, the deinterlace mode, the output format
// code of a connection.
#pragma once
#include <cstdint>

#include "engine/framework/host_interfaces.h"
#include "engine/base/reference_time.h"
#include "engine/framework/stream_state.h"

namespace tl {

struct PictureTiming {
    std::uint8_t progressiveSequence = 0;
    std::uint8_t interlaced = 0;
    std::uint8_t topFieldFirst = 0;
    std::uint8_t repeatField = 0;
    ReferenceTime duration = 0;
};

// From the sequence and the picture coding extension of the picture's first
// field; the duration is divided by the playback rate unless it is 1.0.
PictureTiming ComputePictureTiming(const StreamState& s, double rate);

// The effective deinterlace mode (tagDEINTERLACE, never Auto) of a picture.
// `downstreamWantsSoftwareBob` is true for the one renderer class that takes
// single-rate software bob under Auto.
int ChooseDeinterlaceMode(bool interlacedPicture, bool alwaysDeinterlace, int setting,
                          bool outputSupportsInterlace, bool downstreamWantsSoftwareBob);

// The downstream filter class that Auto gives Software BOB, as the GUID's bytes in memory
// ({7C23220E-55BB-11D3-8B16-00C04FB6BD3D}).
bool IsSoftwareBobRenderer(const ClassId& id);

// Output format code (OutputFormatCode) and bits per pixel of a connection.
// False, leaving both as they were, when the format block is not a
// VIDEOINFOHEADER2 or the type is none the conversion knows.
bool DeriveOutputFormat(const OutputFormat& format, std::int32_t* code, std::int32_t* bitsPerPixel);

}  // namespace tl
