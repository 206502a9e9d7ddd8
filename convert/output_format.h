// The output formats the conversion writes, by code. The connection's media
// subtype (OutputSubtype) takes the same values for these formats, so a
// subtype is its format code.
#pragma once
#include <cstdint>

namespace tl {

enum OutputFormatCode : std::int32_t {
    OUTPUT_YUY2 = 0,
    OUTPUT_UYVY = 1,
    OUTPUT_YVYU = 2,
    OUTPUT_YV12 = 3,
    OUTPUT_RGB32 = 4,
    OUTPUT_RGB24 = 5,
    OUTPUT_RGB565 = 6,
    OUTPUT_RGB555 = 7,
    // The engine's own planar layout: Y, then Cb, then Cr, each at the visible
    // size for the stream's chroma format, rows packed without padding. Never
    // negotiated by the filter; tlvdec and the tests read pictures through it.
    OUTPUT_PLANAR = 8,
};

// biBitCount of a format's samples (the planar layout counts as 4:2:0); 0 for
// codes outside the list.
int outputBitsPerPixel(int format);

}  // namespace tl
