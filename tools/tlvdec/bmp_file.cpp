#include "tools/tlvdec/bmp_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tl::tlvdec {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::int32_t kPixelsPerMetre = 2835;  // 72 dots per inch

void put16(std::uint8_t* at, std::uint32_t v) {
    at[0] = std::uint8_t(v);
    at[1] = std::uint8_t(v >> 8);
}

void put32(std::uint8_t* at, std::uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp24(const std::uint8_t* pixels, int width, int height, int rowPitch,
                                      int bytesPerPixel) {
    if (!pixels || width <= 0 || height <= 0 || (bytesPerPixel != 3 && bytesPerPixel != 4) ||
        std::int64_t(rowPitch) < std::int64_t(width) * bytesPerPixel)
        return {};
    const std::uint64_t stride = (std::uint64_t(width) * 3 + 3) & ~std::uint64_t(3);
    const std::uint64_t imageBytes = stride * std::uint64_t(height);
    const std::uint64_t fileBytes = kFileHeaderSize + kInfoHeaderSize + imageBytes;
    if (fileBytes > 0x7FFFFFFF) return {};

    std::vector<std::uint8_t> file(std::size_t(fileBytes), 0);
    std::uint8_t* h = file.data();
    h[0] = 'B';
    h[1] = 'M';
    put32(h + 2, std::uint32_t(fileBytes));
    put32(h + 10, kFileHeaderSize + kInfoHeaderSize);  // offset of the pixels
    std::uint8_t* info = h + kFileHeaderSize;
    put32(info, kInfoHeaderSize);
    put32(info + 4, std::uint32_t(width));
    put32(info + 8, std::uint32_t(height));  // positive: the last row comes first
    put16(info + 12, 1);                     // planes
    put16(info + 14, 24);                    // bits per pixel
    put32(info + 16, 0);                     // BI_RGB
    put32(info + 20, std::uint32_t(imageBytes));
    put32(info + 24, kPixelsPerMetre);
    put32(info + 28, kPixelsPerMetre);

    std::uint8_t* out = info + kInfoHeaderSize;
    for (int y = height - 1; y >= 0; --y, out += stride) {
        const std::uint8_t* src = pixels + std::size_t(y) * std::size_t(rowPitch);
        for (int x = 0; x < width; ++x, src += bytesPerPixel) std::memcpy(out + 3 * x, src, 3);
    }
    return file;
}

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

}  // namespace tl::tlvdec
