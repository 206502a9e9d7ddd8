// Reference YUY2 and UYVY kernels, one pixel pair at a time.
#include <cstring>
#include <vector>

#include "convert/dispatch.h"
#include "convert/kernel_select.h"
#include "convert/reference_rules.h"

namespace tl::plain {
namespace {

void packedYuv(const KernelArgs& a, VerticalClass cls, ChromaLayout layout, bool uyvy, bool correct,
               bool overlay) {
    using namespace reference;
    const PictureSamplers s = pictureSamplers(a, cls, layout);
    const int rowBytes = std::min(packedRowBytes(uyvy ? OUTPUT_UYVY : OUTPUT_YUY2, a.width), a.rowPitch);
    const int pairs = (a.width + 1) / 2;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(pairs) * 4);
    for (int r = 0; r < a.height; ++r) {
        const std::uint8_t* ov = overlay ? overlayRow(a, r) : nullptr;
        for (int p = 0; p < pairs; ++p) {
            const int cx = layout == ChromaLayout::C444 ? 2 * p : p;
            int y0 = s.y.at(r, 2 * p), y1 = s.y.at(r, 2 * p + 1);
            int cb = s.cb.at(r, cx), cr = s.cr.at(r, cx);
            if (correct) {
                y0 = correctLuma(y0);
                y1 = correctLuma(y1);
                cb = correctChroma(cb);
                cr = correctChroma(cr);
            }
            std::uint8_t* o = &row[static_cast<std::size_t>(p) * 4];
            const int bytes[4] = {y0, cb, y1, cr};
            const int uyvyBytes[4] = {cb, y0, cr, y1};
            for (int i = 0; i < 4; ++i) o[i] = static_cast<std::uint8_t>(uyvy ? uyvyBytes[i] : bytes[i]);
            if (ov)
                for (int i = 0; i < 4; ++i) o[i] = blend(o[i], ov[8 * p + i], ov[8 * p + 4 + i]);
        }
        std::memcpy(a.dst + static_cast<std::ptrdiff_t>(r) * a.rowPitch, row.data(),
                    static_cast<std::size_t>(rowBytes));
    }
}

struct PlainPackedYuv {
    template <VerticalClass C, ChromaLayout L, bool Uyvy, bool Correct, bool Overlay>
    static void kernel(const KernelArgs& a) {
        packedYuv(a, C, L, Uyvy, Correct, Overlay);
    }
};

}  // namespace

ConvertKernel packedYuvKernel(const KernelKey& k) { return selectPackedYuv<PlainPackedYuv>(k); }

}  // namespace tl::plain
