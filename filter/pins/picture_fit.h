// Puts a converted picture into an output buffer of another size, for a
// renderer that keeps its connection's size when the stream's picture size
// changes. A smaller picture is centred on black at its own size: the renderer
// scales the whole frame to its window anyway, better than a second scaling
// here would, and the pixels stay exact. A larger one is scaled down, keeping
// its proportions, until it fits, centred on black: the viewer still sees the
// whole picture, undistorted, only with fewer pixels, where cropping would cut
// away its edges and stretching would bend its shapes.
#pragma once
#include <cstdint>

namespace tl {

struct FitPlane {
    std::uint8_t* data;
    int width, height;  // pixels
    int pitch;          // bytes from one row to the next (YV12: luma rows; chroma rows half as far)
    std::int32_t size;  // bytes of the whole buffer
};

// format: OUTPUT_YUY2 ... OUTPUT_RGB555, the same for both. bottomUp: RGB rows
// stored last row first. The destination is filled completely.
void FitPicture(int format, bool bottomUp, const FitPlane& source, const FitPlane& destination);

}  // namespace tl
