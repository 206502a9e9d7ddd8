// Reference RGB kernels, one pixel at a time.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "convert/dispatch.h"
#include "convert/kernel_select.h"
#include "convert/reference_rules.h"

namespace tl::plain {
namespace {

void storePixel(int format, const std::uint8_t bgrx[4], std::uint8_t* out) {
    const int b = bgrx[0], g = bgrx[1], r = bgrx[2];
    int packed = 0;
    switch (format) {
    case OUTPUT_RGB32: std::memcpy(out, bgrx, 4); return;
    case OUTPUT_RGB24: std::memcpy(out, bgrx, 3); return;
    case OUTPUT_RGB565: packed = (r >> 3) << 11 | (g >> 2) << 5 | b >> 3; break;
    default: packed = (r >> 3) << 10 | (g >> 3) << 5 | b >> 3; break;
    }
    out[0] = static_cast<std::uint8_t>(packed & 0xFF);
    out[1] = static_cast<std::uint8_t>(packed >> 8);
}

void rgb(const KernelArgs& a, VerticalClass cls, ChromaLayout layout, int format, bool overlay) {
    using namespace reference;
    const PictureSamplers s = pictureSamplers(a, cls, layout);
    const int rowBytes = std::min(packedRowBytes(format, a.width), std::abs(a.rowPitch));
    const int pixelBytes = packedRowBytes(format, 1);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(a.width) * 4);
    for (int r = 0; r < a.height; ++r) {
        const std::uint8_t* ov = overlay ? overlayRow(a, r) : nullptr;
        for (int x = 0; x < a.width; ++x) {
            int cb, cr;
            if (layout == ChromaLayout::C444) {
                cb = s.cb.at(r, x);
                cr = s.cr.at(r, x);
            } else if (x % 2 == 0) {
                cb = s.cb.at(r, x / 2);
                cr = s.cr.at(r, x / 2);
            } else {
                cb = avg(s.cb.at(r, x / 2), s.cb.at(r, x / 2 + 1));
                cr = avg(s.cr.at(r, x / 2), s.cr.at(r, x / 2 + 1));
            }
            std::uint8_t bgrx[4];
            ycbcrToBgrx(*a.matrix, s.y.at(r, x), cb, cr, bgrx);
            if (ov)
                for (int i = 0; i < 4; ++i) bgrx[i] = blend(bgrx[i], ov[4 * x + i], ov[4 * x + 3]);
            storePixel(format, bgrx, &row[static_cast<std::size_t>(x) * pixelBytes]);
        }
        std::memcpy(a.dst + static_cast<std::ptrdiff_t>(r) * a.rowPitch, row.data(),
                    static_cast<std::size_t>(rowBytes));
    }
}

struct PlainRgb {
    template <VerticalClass C, ChromaLayout L, int Format, bool Overlay>
    static void kernel(const KernelArgs& a) {
        rgb(a, C, L, Format, Overlay);
    }
};

}  // namespace

ConvertKernel rgbKernel(const KernelKey& k) { return selectRgb<PlainRgb>(k); }

}  // namespace tl::plain
