#include "filter/pins/picture_fit.h"

#include <algorithm>
#include <cstring>

#include "convert/dispatch.h"

namespace tl {
namespace {

struct Placement {
    int width, height;  // of the picture in the destination
    int left, top;      // its top left corner in display rows
};

// Offsets stay even so the chroma of packed and planar layouts lines up.
Placement Place(const FitPlane& s, const FitPlane& d) {
    Placement p{s.width, s.height, 0, 0};
    if (s.width > d.width || s.height > d.height) {
        // width / height kept within one pixel, the longer side filling the destination.
        if (std::int64_t(s.width) * d.height >= std::int64_t(s.height) * d.width) {
            p.width = d.width;
            p.height = int(std::int64_t(s.height) * d.width / s.width);
        } else {
            p.height = d.height;
            p.width = int(std::int64_t(s.width) * d.height / s.height);
        }
        p.width = std::max(2, p.width & ~1);
        p.height = std::max(2, p.height & ~1);
    }
    p.left = (d.width - p.width) / 2 & ~1;
    p.top = (d.height - p.height) / 2 & ~1;
    return p;
}

int BytesPerPixel(int format) {
    switch (format) {
    case OUTPUT_RGB32: return 4;
    case OUTPUT_RGB24: return 3;
    case OUTPUT_RGB565:
    case OUTPUT_RGB555:
    case OUTPUT_YUY2:
    case OUTPUT_UYVY:
    case OUTPUT_YVYU: return 2;
    default: return 1;
    }
}

// Copies one plane's picture area, nearest neighbour. unit: bytes moved
// together (a pixel, or a packed 4:2:2 pair of two pixels).
void CopyPlane(const std::uint8_t* src, int srcPitch, int srcUnits, int srcRows, std::uint8_t* dst, int dstPitch,
               int units, int rows, int unit, bool bottomUp, int dstTotalRows, int top, int left) {
    for (int y = 0; y < rows; ++y) {
        const int sy = int(std::int64_t(y) * srcRows / rows);
        const int srcRow = bottomUp ? srcRows - 1 - sy : sy;
        const int dstRow = bottomUp ? dstTotalRows - 1 - (top + y) : top + y;
        const std::uint8_t* from = src + std::size_t(srcRow) * std::size_t(srcPitch);
        std::uint8_t* to = dst + std::size_t(dstRow) * std::size_t(dstPitch) + std::size_t(left) * std::size_t(unit);
        if (units == srcUnits) {
            std::memcpy(to, from, std::size_t(units) * std::size_t(unit));
            continue;
        }
        for (int x = 0; x < units; ++x)
            std::memcpy(to + std::size_t(x) * std::size_t(unit),
                        from + std::size_t(std::int64_t(x) * srcUnits / units) * std::size_t(unit), std::size_t(unit));
    }
}

}  // namespace

void FitPicture(int format, bool bottomUp, const FitPlane& s, const FitPlane& d) {
    FillBlack(d.data, d.size, format == OUTPUT_YVYU ? OUTPUT_YUY2 : format);
    const Placement p = Place(s, d);
    if (format == OUTPUT_YV12) {
        CopyPlane(s.data, s.pitch, s.width, s.height, d.data, d.pitch, p.width, p.height, 1, false, d.height, p.top,
                  p.left);
        // Cr then Cb, each at half the size and half the pitch.
        const std::size_t srcPlane = std::size_t(s.pitch / 2) * std::size_t((s.height + 1) / 2);
        const std::size_t dstPlane = std::size_t(d.pitch / 2) * std::size_t((d.height + 1) / 2);
        const std::uint8_t* srcChroma = s.data + std::size_t(s.pitch) * std::size_t(s.height);
        std::uint8_t* dstChroma = d.data + std::size_t(d.pitch) * std::size_t(d.height);
        for (int plane = 0; plane < 2; ++plane)
            CopyPlane(srcChroma + plane * srcPlane, s.pitch / 2, (s.width + 1) / 2, (s.height + 1) / 2,
                      dstChroma + plane * dstPlane, d.pitch / 2, (p.width + 1) / 2, (p.height + 1) / 2, 1, false,
                      (d.height + 1) / 2, p.top / 2, p.left / 2);
        return;
    }
    const bool packed422 = format == OUTPUT_YUY2 || format == OUTPUT_UYVY || format == OUTPUT_YVYU;
    const int unit = packed422 ? 4 : BytesPerPixel(format);
    const int per = packed422 ? 2 : 1;  // pixels per unit
    CopyPlane(s.data, s.pitch, (s.width + per - 1) / per, s.height, d.data, d.pitch, (p.width + per - 1) / per,
              p.height, unit, bottomUp, d.height, p.top, p.left / per);
}

}  // namespace tl
