// Widening of YUY2 output for renderers that insist on a wider surface than the
// picture: nearest-neighbour stretch of every delivered row, in place.
#pragma once
#include <cstdint>

namespace tl {

// Widening applies when the output is at least this many pixels wider.
inline constexpr int kYuy2WidenThreshold = 65;

inline bool needsYuy2Widening(int pictureWidth, int outputWidth) {
    return outputWidth - pictureWidth >= kYuy2WidenThreshold;
}

// Stretches rows 0..pictureHeight-1 of a YUY2 buffer from pictureWidth to
// outputWidth pixels (16.16 fixed point, right to left, so the source of every
// sample is read before it is overwritten) and fills rows pictureHeight..
// outputHeight-1 with black (bytes 00 80 00 80). Rows that would end past
// bufferSize, or an outputWidth wider than rowPitch, are left alone.
void WidenYuy2Rows(std::uint8_t* buffer, std::int64_t bufferSize, int rowPitch, int pictureWidth,
                   int pictureHeight, int outputWidth, int outputHeight);

}  // namespace tl
