// BMP files for tlvdec: whole files written and read, 24- and 32-bit ones
// decoded for its --overlay.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tl::tlvdec {

// Writes the bytes to a file; on failure returns false with a one-line message.
bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);

// Premultiplied B, G, R, A pixels, rows top down and 4 * width bytes apart.
struct PremultipliedImage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
};

// A 32-bit BMP keeps its alpha (premultiplied here); a 24-bit one is opaque.
// Either row order. On failure returns false with a one-line message.
bool DecodeBmp(const std::vector<std::uint8_t>& file, PremultipliedImage& image, std::string& error);


}  // namespace tl::tlvdec
