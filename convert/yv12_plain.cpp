// Reference YV12 kernels, one sample at a time.
#include <algorithm>

#include "convert/dispatch.h"
#include "convert/kernel_select.h"
#include "convert/reference_rules.h"

namespace tl::plain {
namespace {

enum class Fix { None, Luma, Chroma };

void plane(std::uint8_t* dst, int pitch, int rowBytes, const reference::VerticalSampler& s, int rows,
           int columnStep, Fix fix) {
    for (int r = 0; r < rows; ++r) {
        std::uint8_t* d = dst + static_cast<std::ptrdiff_t>(r) * pitch;
        for (int x = 0; x < rowBytes; ++x) {
            const int v = s.at(r, x * columnStep);
            d[x] = fix == Fix::Luma ? reference::correctLuma(v)
                 : fix == Fix::Chroma ? reference::correctChroma(v) : static_cast<std::uint8_t>(v);
        }
    }
}

void yv12(const KernelArgs& a, VerticalClass cls, ChromaLayout layout, bool correct) {
    using reference::VerticalSampler;
    const int lumaPitch = 2 * a.rowPitch / 3;
    const int chromaPitch = lumaPitch / 2;
    const int chromaRows = a.height / 2;
    // 4:2:2 and 4:4:4 chroma: every second row (and for 4:4:4 every second sample).
    const std::ptrdiff_t chromaStep = layout == ChromaLayout::C420 ? a.chromaStride : 2 * a.chromaStride;
    const int columnStep = layout == ChromaLayout::C444 ? 2 : 1;
    const int lumaRows = std::max(a.height, a.bufferRows);
    std::uint8_t* cr = a.dst + static_cast<std::ptrdiff_t>(lumaPitch) * lumaRows;
    std::uint8_t* cb = cr + static_cast<std::ptrdiff_t>(chromaPitch) * (lumaRows / 2);
    const auto rows = VerticalSampler::Source::Rows;
    plane(a.dst, lumaPitch, std::min(a.width, lumaPitch),
          VerticalSampler(a.planes[0], a.lumaStride, a.height, a.height, cls, rows), a.height, 1,
          correct ? Fix::Luma : Fix::None);
    const int chromaBytes = std::min(a.width / 2, chromaPitch);
    const Fix chromaFix = correct ? Fix::Chroma : Fix::None;
    plane(cr, chromaPitch, chromaBytes, VerticalSampler(a.planes[2], chromaStep, chromaRows, chromaRows, cls, rows),
          chromaRows, columnStep, chromaFix);
    plane(cb, chromaPitch, chromaBytes, VerticalSampler(a.planes[1], chromaStep, chromaRows, chromaRows, cls, rows),
          chromaRows, columnStep, chromaFix);
}

struct PlainYv12 {
    template <VerticalClass C, ChromaLayout L, bool Correct>
    static void kernel(const KernelArgs& a) {
        yv12(a, C, L, Correct);
    }
};

}  // namespace

ConvertKernel yv12Kernel(const KernelKey& k) { return selectYv12<PlainYv12>(k); }

}  // namespace tl::plain
