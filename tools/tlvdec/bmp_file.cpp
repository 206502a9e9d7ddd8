#include "tools/tlvdec/bmp_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tl::tlvdec {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::size_t kInfoHeaderMinimum = 40;
constexpr std::uint32_t kBiRgb = 0, kBiBitfields = 3;
constexpr int kLargestSide = 1 << 15;

std::uint32_t get16(const std::uint8_t* p) { return p[0] | std::uint32_t(p[1]) << 8; }
std::uint32_t get32(const std::uint8_t* p) { return get16(p) | get16(p + 2) << 16; }

}  // namespace

bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        error = "cannot create '" + path + "': " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) error = "cannot write '" + path + "'";
    return written && closed;
}


bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "cannot open '" + path + "': " + std::strerror(errno);
        return false;
    }
    bytes.clear();
    std::uint8_t block[65536];
    std::size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) bytes.insert(bytes.end(), block, block + n);
    const bool read = !std::ferror(f);
    std::fclose(f);
    if (!read) error = "cannot read '" + path + "'";
    return read;
}

bool DecodeBmp(const std::vector<std::uint8_t>& file, PremultipliedImage& image, std::string& error) {
    error = "not a 24-bit or 32-bit uncompressed BMP";
    if (file.size() < std::size_t(kFileHeaderSize) + kInfoHeaderMinimum || file[0] != 'B' || file[1] != 'M') return false;
    const std::uint8_t* info = file.data() + std::size_t(kFileHeaderSize);
    const std::uint32_t offset = get32(file.data() + 10);
    const std::int32_t width = std::int32_t(get32(info + 4)), height = std::int32_t(get32(info + 8));
    const std::uint32_t bits = get16(info + 14), compression = get32(info + 16);
    if ((bits != 24 && bits != 32) || (compression != kBiRgb && compression != kBiBitfields)) return false;
    if (width <= 0 || width > kLargestSide || height == 0 || std::abs(height) > kLargestSide) return false;
    const int rows = std::abs(height);
    const std::size_t stride = (std::size_t(width) * bits / 8 + 3) & ~std::size_t(3);
    if (offset > file.size() || (file.size() - offset) / stride < std::size_t(rows)) {
        error = "the BMP file is shorter than its pixels";
        return false;
    }
    image.width = width;
    image.height = rows;
    image.pixels.assign(std::size_t(width) * std::size_t(rows) * 4, 0);
    for (int y = 0; y < rows; ++y) {
        const int fileRow = height > 0 ? rows - 1 - y : y;  // positive heights store the last row first
        const std::uint8_t* src = file.data() + offset + std::size_t(fileRow) * stride;
        std::uint8_t* dst = image.pixels.data() + std::size_t(y) * std::size_t(width) * 4;
        for (int x = 0; x < width; ++x, src += bits / 8, dst += 4) {
            // Rounded c * a / 255, so opaque pixels keep their colours exactly.
            const int a = bits == 32 ? src[3] : 0xFF;
            for (int c = 0; c < 3; ++c) dst[c] = std::uint8_t((src[c] * a + 127) / 255);
            dst[3] = std::uint8_t(a);
        }
    }
    error.clear();
    return true;
}

}  // namespace tl::tlvdec
