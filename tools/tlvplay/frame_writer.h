// Writes one uncompressed video frame to a file: a BMP (RGB frames as they are,
// YUV frames converted to 24-bit RGB) or the sample's bytes unchanged.
#pragma once
#include <windows.h>

#include <strmif.h>

#include <string>

namespace tl::tlvplay {

enum class FrameFile { Bitmap, Raw };

// mt is the connection type (VIDEOINFOHEADER or VIDEOINFOHEADER2 with one of the
// tool's output formats); rows lie length / height bytes apart. False with a
// one-line reason when the rows do not fit or the file cannot be written.
bool WriteFrame(const std::string& path, const AM_MEDIA_TYPE& mt, const BYTE* data, long length, FrameFile kind,
                std::string* error);

// BT.601 studio-range YCbCr to 8-bit R, G, B.
void YuvToRgb(int y, int cb, int cr, BYTE* r, BYTE* g, BYTE* b);

}  // namespace tl::tlvplay
