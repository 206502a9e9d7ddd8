#include "tools/tlvplay/frame_writer.h"

#include <uuids.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tools/tlvplay/media_type.h"

namespace tl::tlvplay {
namespace {

struct Geometry {
    const OutputFormat* format = nullptr;
    long width = 0;
    long height = 0;  // rows, always positive
    bool bottomUp = false;
    long pitch = 0;       // bytes per row of the sample: its length over the rows
    long lumaPitch = 0;   // YV12: two thirds of the pitch
    long rowBytes = 0;    // bytes one row of pixels needs (YV12: luma)
};

bool IsRgb(const OutputFormat& format) {
    return format.compression == BI_RGB || format.compression == BI_BITFIELDS;
}

// The decoder lays out rows pitch = sample length / rows apart; a planar frame has
// its luma rows two thirds of that apart and chroma rows half as far as luma rows.
bool GeometryOf(const AM_MEDIA_TYPE& mt, long length, Geometry* g, std::string* error) {
    const BITMAPINFOHEADER* bih = BitmapHeader(mt);
    g->format = FindOutputFormat(mt.subtype);
    if (!bih || !g->format || bih->biWidth <= 0 || bih->biHeight == 0) {
        *error = "unsupported frame type " + DescribeMediaType(mt);
        return false;
    }
    g->width = bih->biWidth;
    g->height = std::labs(bih->biHeight);
    g->bottomUp = IsRgb(*g->format) && bih->biHeight > 0;
    g->pitch = length / g->height;
    const bool planar = g->format->bitCount == 12;
    g->lumaPitch = planar ? 2 * g->pitch / 3 : g->pitch;
    g->rowBytes = planar ? g->width : (g->width * g->format->bitCount + 7) / 8;
    if (!planar && !IsRgb(*g->format)) g->rowBytes = (g->width + 1) / 2 * 4;
    const long planarBytes = g->lumaPitch * g->height + 2 * (g->lumaPitch / 2) * ((g->height + 1) / 2);
    if (g->lumaPitch < g->rowBytes ||
        (planar && (g->lumaPitch / 2 < (g->width + 1) / 2 || planarBytes > length))) {
        *error = "sample of " + std::to_string(length) + " bytes is too small for a " + DescribeMediaType(mt) +
                 " frame";
        return false;
    }
    return true;
}

void Put16(std::vector<BYTE>& out, unsigned v) {
    out.push_back(BYTE(v));
    out.push_back(BYTE(v >> 8));
}

void Put32(std::vector<BYTE>& out, unsigned long v) {
    Put16(out, unsigned(v & 0xFFFF));
    Put16(out, unsigned(v >> 16));
}

// File header, info header and, for bit fields, the three masks.
std::vector<BYTE> BitmapHeaders(long width, long height, WORD bitCount, DWORD compression, DWORD imageBytes,
                                const DWORD* masks) {
    const DWORD infoBytes = 40 + (masks ? 12 : 0);
    std::vector<BYTE> out;
    Put16(out, 0x4D42);  // "BM"
    Put32(out, 14 + infoBytes + imageBytes);
    Put32(out, 0);
    Put32(out, 14 + infoBytes);
    Put32(out, 40);
    Put32(out, static_cast<unsigned long>(width));
    Put32(out, static_cast<unsigned long>(height));
    Put16(out, 1);
    Put16(out, bitCount);
    Put32(out, compression);
    Put32(out, imageBytes);
    Put32(out, 2835);  // 72 dpi
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    if (masks)
        for (int i = 0; i < 3; ++i) Put32(out, masks[i]);
    return out;
}

// Converts a YUY2, UYVY or YV12 frame to bottom-up 24-bit rows.
std::vector<BYTE> YuvToBgrRows(const Geometry& g, const BYTE* data, long rowBytes) {
    std::vector<BYTE> pixels(std::size_t(rowBytes) * std::size_t(g.height));
    const bool planar = g.format->bitCount == 12;
    const bool uyvy = IsEqualGUID(*g.format->subtype, MEDIASUBTYPE_UYVY);
    const long chromaPitch = g.lumaPitch / 2;
    const BYTE* vPlane = data + g.lumaPitch * g.height;
    const BYTE* uPlane = vPlane + chromaPitch * ((g.height + 1) / 2);
    for (long y = 0; y < g.height; ++y) {
        BYTE* out = pixels.data() + std::size_t(rowBytes) * std::size_t(g.height - 1 - y);
        for (long x = 0; x < g.width; ++x) {
            int luma, cb, cr;
            if (planar) {
                luma = data[y * g.lumaPitch + x];
                const long c = (y / 2) * chromaPitch + x / 2;
                cb = uPlane[c];
                cr = vPlane[c];
            } else {
                const BYTE* pair = data + y * g.pitch + (x / 2) * 4;
                luma = uyvy ? pair[1 + (x & 1) * 2] : pair[(x & 1) * 2];
                cb = uyvy ? pair[0] : pair[1];
                cr = uyvy ? pair[2] : pair[3];
            }
            YuvToRgb(luma, cb, cr, out + 3 * x + 2, out + 3 * x + 1, out + 3 * x);
        }
    }
    return pixels;
}

}  // namespace

void YuvToRgb(int y, int cb, int cr, BYTE* r, BYTE* g, BYTE* b) {
    const int c = 298 * (y - 16);
    const int d = cb - 128;
    const int e = cr - 128;
    auto clip = [](int v) { return BYTE(std::clamp(v >> 8, 0, 255)); };
    *r = clip(c + 409 * e + 128);
    *g = clip(c - 100 * d - 208 * e + 128);
    *b = clip(c + 516 * d + 128);
}

bool WriteFrame(const std::string& path, const AM_MEDIA_TYPE& mt, const BYTE* data, long length, FrameFile kind,
                std::string* error) {
    Geometry g;
    if (!data || !GeometryOf(mt, length, &g, error)) return false;
    std::vector<BYTE> file;
    if (kind == FrameFile::Raw) {
        file.assign(data, data + length);
    } else if (g.format->compression == BI_RGB || g.format->compression == BI_BITFIELDS) {
        static const DWORD k565[3] = {0xF800, 0x07E0, 0x001F};
        static const DWORD k555[3] = {0x7C00, 0x03E0, 0x001F};
        const DWORD* masks = nullptr;
        if (g.format->compression == BI_BITFIELDS)
            masks = IsEqualGUID(*g.format->subtype, MEDIASUBTYPE_RGB565) ? k565 : k555;
        // A DirectShow RGB frame is already laid out as a DIB; a top-down one keeps
        // its negative height.
        // A DIB keeps DirectShow's row order (a top-down frame has a negative
        // height); only the row padding may differ from the sample's pitch.
        const long dibPitch = ((g.width * g.format->bitCount + 31) & ~31L) / 8;
        const long height = g.bottomUp ? g.height : -g.height;
        file = BitmapHeaders(g.width, height, g.format->bitCount, g.format->compression,
                             DWORD(dibPitch * g.height), masks);
        const std::size_t headerBytes = file.size();
        file.resize(headerBytes + std::size_t(dibPitch) * std::size_t(g.height));
        for (long y = 0; y < g.height; ++y)
            std::copy(data + y * g.pitch, data + y * g.pitch + g.rowBytes,
                      file.begin() + std::ptrdiff_t(headerBytes + std::size_t(y * dibPitch)));
    } else {
        const long rowBytes = (g.width * 3 + 3) & ~3L;
        const std::vector<BYTE> pixels = YuvToBgrRows(g, data, rowBytes);
        file = BitmapHeaders(g.width, g.height, 24, BI_RGB, DWORD(pixels.size()), nullptr);
        file.insert(file.end(), pixels.begin(), pixels.end());
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        *error = "cannot create " + path;
        return false;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) *error = "cannot write " + path;
    return written && closed;
}

}  // namespace tl::tlvplay
