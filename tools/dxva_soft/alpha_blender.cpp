#include "tools/dxva_soft/alpha_blender.h"

#include <algorithm>
#include <cstring>

namespace tl::dxva_soft {
namespace {

// AYUV sample bytes: Cr, Cb, Y, alpha.
constexpr int kCr = 0, kCb = 1, kY = 2, kAlpha = 3;

inline std::uint8_t mix(int graphic, int video, int alpha) {
    return std::uint8_t((graphic * alpha + video * (255 - alpha) + 127) / 255);
}

}  // namespace

void AlphaBlender::load(const std::uint8_t* ayuv, int width, int height, int stride) {
    width_ = width;
    height_ = height;
    image_.resize(std::size_t(width) * std::size_t(height) * 4);
    for (int y = 0; y < height; ++y)
        std::memcpy(image_.data() + std::size_t(y) * std::size_t(width) * 4, ayuv + std::ptrdiff_t(y) * stride,
                    std::size_t(width) * 4);
}

void AlphaBlender::blend(const dxva::DXVA_BlendCombination& c, const Surface& source, Surface& destination) const {
    if (&source != &destination)
        for (int p = 0; p < 3; ++p)
            std::memcpy(destination.planes[p], source.planes[p],
                        std::size_t(source.strides[p]) * std::size_t(p ? source.height / 2 : source.height));

    const dxva::Rect& from = c.GraphicSourceRect;
    const dxva::Rect& to = c.GraphicDestinationRect;
    // Whole 2x2 blocks inside the picture, the image and both rectangles.
    const int left = std::max({0, from.left, to.left}) & ~1;
    const int top = std::max({0, from.top, to.top}) & ~1;
    const int right = std::min({destination.width, width_, int(from.right), int(to.right)}) & ~1;
    const int bottom = std::min({destination.height, height_, int(from.bottom), int(to.bottom)}) & ~1;
    for (int y = top; y < bottom; y += 2) {
        for (int x = left; x < right; x += 2) {
            int coverage = 0, cb = 0, cr = 0;
            for (int j = 0; j < 2; ++j)
                for (int i = 0; i < 2; ++i) {
                    const std::size_t at = std::size_t(y + j) * std::size_t(width_) + std::size_t(x + i);
                    const std::uint8_t* g = image_.data() + 4 * at;
                    std::uint8_t& luma = destination.planes[0][(y + j) * destination.strides[0] + x + i];
                    luma = mix(g[kY], luma, g[kAlpha]);
                    coverage += g[kAlpha];
                    cb += g[kCb] * g[kAlpha];
                    cr += g[kCr] * g[kAlpha];
                }
            if (!coverage) continue;
            const int offset = (y / 2) * destination.strides[1] + x / 2;
            std::uint8_t& u = destination.planes[1][offset];
            std::uint8_t& v = destination.planes[2][offset];
            u = mix(cb / coverage, u, coverage / 4);
            v = mix(cr / coverage, v, coverage / 4);
        }
    }
}

}  // namespace tl::dxva_soft
