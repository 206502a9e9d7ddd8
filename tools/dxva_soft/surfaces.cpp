#include "tools/dxva_soft/surfaces.h"

#include <cstring>

namespace tl::dxva_soft {
namespace {

// The motion kernels may read one sample past a block and store with vector
// alignment, so planes start aligned and carry a spare line.
constexpr std::uintptr_t kAlignment = 64;

}  // namespace

void SurfaceSet::resize(int width, int height) {
    if (width == width_ && height == height_ && !surfaces_.empty()) return;
    width_ = width;
    height_ = height;
    surfaces_.assign(std::size_t(count_), Surface{});
    memory_.clear();
    const int widths[3] = {width, width / 2, width / 2};
    const int heights[3] = {height, height / 2, height / 2};
    for (Surface& s : surfaces_) {
        s.width = width;
        s.height = height;
        for (int c = 0; c < 3; ++c) {
            const std::size_t bytes = std::size_t(widths[c]) * std::size_t(heights[c] + 1) + 2 * kAlignment;
            memory_.push_back(std::make_unique<std::uint8_t[]>(bytes));
            const std::uintptr_t raw = reinterpret_cast<std::uintptr_t>(memory_.back().get());
            s.planes[c] = reinterpret_cast<std::uint8_t*>((raw + kAlignment - 1) & ~(kAlignment - 1));
            s.strides[c] = widths[c];
            std::memset(s.planes[c], c == 0 ? 16 : 128, std::size_t(widths[c]) * std::size_t(heights[c]));
        }
    }
}

}  // namespace tl::dxva_soft
