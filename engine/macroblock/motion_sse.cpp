// Motion-compensation kernels on 64-bit registers with the SSE byte average,
// which rounds up exactly as (a + b + 1) >> 1. Both-halves predictions still
// need 16-bit lanes, so the copy and both-halves one-direction kernels are the
// MMX ones (their table entries stay empty).
#include <xmmintrin.h>

#include <cstddef>
#include <utility>

#include "engine/macroblock/kernel_tiers.h"
#include "engine/macroblock/motion_mmx_lanes.h"

namespace tl::kernels::sse {
namespace {

template <int hx, int hy>
__m64 predict8(const std::uint8_t* s, int stride) {
    if constexpr (hx && hy) {
        return narrow(predictWords<1, 1>(s, stride));
    } else if constexpr (hx || hy) {
        return _mm_avg_pu8(load8(s), load8(s + (hx ? 1 : stride)));
    } else {
        return load8(s);
    }
}

// Index 1 or 2: one half-sample direction.
template <int width, std::size_t index>
void predict(std::uint8_t* dst, const std::uint8_t* src, int stride, int height) {
    constexpr int hx = index & 1, hy = index >> 1;
    for (int y = 0; y < height; ++y, src += stride, dst += stride) {
        for (int x = 0; x < width; x += 8) store8(dst + x, predict8<hx, hy>(src + x, stride));
    }
    _mm_empty();
}

// Index 8 * v1 + 4 * h1 + 2 * v2 + h2.
template <int width, std::size_t index>
void average(const std::uint8_t* src1, const std::uint8_t* src2, std::uint8_t* dst, int stride,
             int height) {
    constexpr int h1 = (index >> 2) & 1, v1 = index >> 3, h2 = index & 1, v2 = (index >> 1) & 1;
    for (int y = 0; y < height; ++y, src1 += stride, src2 += stride, dst += stride) {
        for (int x = 0; x < width; x += 8) {
            store8(dst + x, _mm_avg_pu8(predict8<h1, v1>(src1 + x, stride), predict8<h2, v2>(src2 + x, stride)));
        }
    }
    _mm_empty();
}

template <int width>
constexpr std::array<KernelSlots::PredictFn, 4> predictTable() {
    return {{nullptr, &predict<width, 1>, &predict<width, 2>, nullptr}};
}

template <int width, std::size_t... i>
constexpr std::array<KernelSlots::AverageFn, 16> averageTable(std::index_sequence<i...>) {
    return {{&average<width, i>...}};
}

}  // namespace

constexpr MotionKernels motion = {
    predictTable<16>(),
    predictTable<8>(),
    averageTable<16>(std::make_index_sequence<16>()),
    averageTable<8>(std::make_index_sequence<16>()),
};

}  // namespace tl::kernels::sse
