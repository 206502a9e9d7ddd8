// Motion-compensation kernels on 64-bit registers without byte averaging: every
// half-sample and two-source average is formed in 16-bit lanes. Blocks are
// done in 8-column strips, each strip top to bottom.
#include <cstddef>
#include <utility>

#include "engine/macroblock/kernel_tiers.h"
#include "engine/macroblock/motion_mmx_lanes.h"

namespace tl::kernels::mmx {
namespace {

// Index 2 * vertical half + horizontal half.
template <int width, std::size_t index>
void predict(std::uint8_t* dst, const std::uint8_t* src, int stride, int height) {
    constexpr int hx = index & 1, hy = index >> 1;
    for (int x = 0; x < width; x += 8) {
        std::uint8_t* d = dst + x;
        if constexpr (index == 0) {
            const std::uint8_t* s = src + x;
            for (int y = 0; y < height; ++y, s += stride, d += stride) store8(d, load8(s));
        } else {
            WordRows<hx, hy> rows(src + x, stride);
            for (int y = 0; y < height; ++y, d += stride) store8(d, narrow(rows.next()));
        }
    }
    _mm_empty();
}

// Index 8 * v1 + 4 * h1 + 2 * v2 + h2.
template <int width, std::size_t index>
void average(const std::uint8_t* src1, const std::uint8_t* src2, std::uint8_t* dst, int stride,
             int height) {
    constexpr int h1 = (index >> 2) & 1, v1 = index >> 3, h2 = index & 1, v2 = (index >> 1) & 1;
    for (int x = 0; x < width; x += 8) {
        WordRows<h1, v1> first(src1 + x, stride);
        WordRows<h2, v2> second(src2 + x, stride);
        std::uint8_t* d = dst + x;
        for (int y = 0; y < height; ++y, d += stride) store8(d, narrow(averageWords(first.next(), second.next())));
    }
    _mm_empty();
}

template <int width, std::size_t... i>
constexpr std::array<KernelSlots::PredictFn, 4> predictTable(std::index_sequence<i...>) {
    return {{&predict<width, i>...}};
}

template <int width, std::size_t... i>
constexpr std::array<KernelSlots::AverageFn, 16> averageTable(std::index_sequence<i...>) {
    return {{&average<width, i>...}};
}

}  // namespace

constexpr MotionKernels motion = {
    predictTable<16>(std::make_index_sequence<4>()),
    predictTable<8>(std::make_index_sequence<4>()),
    averageTable<16>(std::make_index_sequence<16>()),
    averageTable<8>(std::make_index_sequence<16>()),
};

}  // namespace tl::kernels::mmx
