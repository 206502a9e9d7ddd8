#include "convert/reference_rules.h"

namespace tl::reference {

namespace {

std::uint8_t saturate(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

}  // namespace

void ycbcrToBgrx(const RgbMatrixBlock& m, int y, int cb, int cr, std::uint8_t out[4]) {
    const int l = std::min(std::max(y - m.lumaSubtract[2], 0) + m.lumaAdd[2], 255);
    const int u = cb - 128;
    const int v = cr - 128;
    const int gv = m.w[6] * v + m.w[7] * l;
    out[0] = saturate((m.w[0] * u + m.w[1] * l) >> 13);
    out[1] = saturate((m.w[2] * u + m.w[3] * l + gv) >> 13);
    out[2] = saturate((m.w[4] * v + m.w[5] * l) >> 13);
    out[3] = saturate(gv >> 13);
}

PictureSamplers pictureSamplers(const KernelArgs& a, VerticalClass cls, ChromaLayout layout) {
    using Source = VerticalSampler::Source;
    const bool c420 = layout == ChromaLayout::C420;
    const int chromaRows = c420 ? chromaRows420(a.height) : a.height;
    const Source chromaSource = c420 ? Source::Upsample420 : Source::Rows;
    return {VerticalSampler(a.planes[0], a.lumaStride, a.height, a.height, cls, Source::Rows),
            VerticalSampler(a.planes[1], a.chromaStride, chromaRows, a.height, cls, chromaSource),
            VerticalSampler(a.planes[2], a.chromaStride, chromaRows, a.height, cls, chromaSource)};
}

}  // namespace tl::reference
