#include "tools/common/frame_bitmap.h"

#include <algorithm>
#include <cstring>

#include "convert/dispatch.h"

namespace tl::tools {
namespace {

constexpr std::uint32_t kHeaderBytes = 14 + 40;
constexpr std::uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch

void put16(std::uint8_t* at, std::uint32_t v) {
    at[0] = std::uint8_t(v);
    at[1] = std::uint8_t(v >> 8);
}

void put32(std::uint8_t* at, std::uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
}

std::uint8_t clip8(int v) { return std::uint8_t(std::clamp(v >> 8, 0, 255)); }

// BT.601 studio-range Y, Cb, Cr to B, G, R in 8.8 fixed point.
void yuvToBgr(int y, int cb, int cr, std::uint8_t* bgr) {
    const int c = 298 * (y - 16), d = cb - 128, e = cr - 128;
    bgr[0] = clip8(c + 516 * d + 128);
    bgr[1] = clip8(c - 100 * d - 208 * e + 128);
    bgr[2] = clip8(c + 409 * e + 128);
}

int bytesPerRow(int format, int width) {
    switch (format) {
    case OUTPUT_YUY2:
    case OUTPUT_UYVY:
    case OUTPUT_YVYU: return (width + 1) / 2 * 4;
    case OUTPUT_YV12: return width;
    case OUTPUT_RGB32: return width * 4;
    case OUTPUT_RGB24: return width * 3;
    case OUTPUT_RGB565:
    case OUTPUT_RGB555: return width * 2;
    default: return 0;
    }
}

// Display row y (0 at the top) of the frame as B, G, R.
void rowToBgr(const FrameView& f, int y, std::uint8_t* out) {
    const int row = f.bottomUp ? f.height - 1 - y : y;
    const std::uint8_t* src = f.data + std::size_t(row) * std::size_t(f.pitch);
    for (int x = 0; x < f.width; ++x, out += 3) {
        switch (f.format) {
        case OUTPUT_YUY2:
        case OUTPUT_UYVY:
        case OUTPUT_YVYU: {
            const std::uint8_t* pair = src + (x / 2) * 4;
            if (f.format == OUTPUT_UYVY) yuvToBgr(pair[1 + (x & 1) * 2], pair[0], pair[2], out);
            else if (f.format == OUTPUT_YUY2) yuvToBgr(pair[(x & 1) * 2], pair[1], pair[3], out);
            else yuvToBgr(pair[(x & 1) * 2], pair[3], pair[1], out);
            break;
        }
        case OUTPUT_YV12: {
            // Cr plane, then Cb, each with rows half the luma pitch apart.
            const int chromaPitch = f.pitch / 2;
            const std::uint8_t* crPlane = f.data + std::size_t(f.pitch) * std::size_t(f.height);
            const std::uint8_t* cbPlane = crPlane + std::size_t(chromaPitch) * std::size_t((f.height + 1) / 2);
            const std::size_t c = std::size_t(y / 2) * std::size_t(chromaPitch) + std::size_t(x / 2);
            yuvToBgr(src[x], cbPlane[c], crPlane[c], out);
            break;
        }
        case OUTPUT_RGB32: std::memcpy(out, src + 4 * x, 3); break;
        case OUTPUT_RGB24: std::memcpy(out, src + 3 * x, 3); break;
        default: {
            const std::uint32_t v = src[2 * x] | std::uint32_t(src[2 * x + 1]) << 8;
            const bool r565 = f.format == OUTPUT_RGB565;
            const std::uint32_t b = v & 31, g = r565 ? (v >> 5) & 63 : (v >> 5) & 31, r = (v >> (r565 ? 11 : 10)) & 31;
            out[0] = std::uint8_t(b << 3 | b >> 2);
            out[1] = r565 ? std::uint8_t(g << 2 | g >> 4) : std::uint8_t(g << 3 | g >> 2);
            out[2] = std::uint8_t(r << 3 | r >> 2);
            break;
        }
        }
    }
}

}  // namespace

FrameView SampleView(int format, const std::uint8_t* data, std::size_t length, int width, int height,
                     bool bottomUp) {
    FrameView f;
    f.format = format;
    f.data = data;
    f.width = width;
    f.height = height;
    f.bottomUp = bottomUp;
    if (height > 0 && length / std::size_t(height) <= 0x7FFFFFFF) f.pitch = int(length / std::size_t(height));
    if (format == OUTPUT_YV12) f.pitch = f.pitch / 3 * 2;
    return f;
}

std::size_t FrameBytes(const FrameView& f) {
    const int rowBytes = bytesPerRow(f.format, f.width);
    if (!f.data || f.width <= 0 || f.height <= 0 || rowBytes == 0 || f.pitch < rowBytes) return 0;
    if (f.format == OUTPUT_YV12 && f.bottomUp) return 0;
    const std::size_t rows = std::size_t(f.pitch) * std::size_t(f.height);
    if (f.format != OUTPUT_YV12) return rows;
    if (f.pitch / 2 < (f.width + 1) / 2) return 0;
    return rows + 2 * std::size_t(f.pitch / 2) * std::size_t((f.height + 1) / 2);
}

std::vector<std::uint8_t> FrameToBmp(const FrameView& f) {
    if (FrameBytes(f) == 0) return {};
    const std::size_t stride = (std::size_t(f.width) * 3 + 3) & ~std::size_t(3);
    const std::size_t imageBytes = stride * std::size_t(f.height);
    if (imageBytes > 0x7FFFFFFF - kHeaderBytes) return {};
    std::vector<std::uint8_t> file(kHeaderBytes + imageBytes, 0);
    std::uint8_t* h = file.data();
    h[0] = 'B';
    h[1] = 'M';
    put32(h + 2, std::uint32_t(file.size()));
    put32(h + 10, kHeaderBytes);
    put32(h + 14, 40);
    put32(h + 18, std::uint32_t(f.width));
    put32(h + 22, std::uint32_t(f.height));  // positive: the bottom row comes first
    put16(h + 26, 1);
    put16(h + 28, 24);
    put32(h + 34, std::uint32_t(imageBytes));
    put32(h + 38, kPixelsPerMetre);
    put32(h + 42, kPixelsPerMetre);
    for (int y = 0; y < f.height; ++y)
        rowToBgr(f, y, h + kHeaderBytes + std::size_t(f.height - 1 - y) * stride);
    return file;
}

}  // namespace tl::tools
