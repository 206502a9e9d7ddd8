// 24-bit BMP files for tlvdec's --snapshot.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tl::tlvdec {

// A whole bottom-up 24-bit BMP file (file header, BITMAPINFOHEADER, rows
// padded to four bytes) from top-down rows of B, G, R pixels that are
// `bytesPerPixel` (3 or 4; the fourth byte is ignored) apart and `rowPitch`
// apart. Empty when the size or the layout is unusable.
std::vector<std::uint8_t> EncodeBmp24(const std::uint8_t* pixels, int width, int height, int rowPitch,
                                      int bytesPerPixel);

// Writes the bytes to a file; on failure returns false with a one-line message.
bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace tl::tlvdec
