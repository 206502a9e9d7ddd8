// 16-wide motion-compensation kernels on 128-bit registers, one row per
// register. Half-sample and two-source averages use the byte average (which
// rounds up); both-halves predictions are summed exactly in 16-bit lanes. The
// 8-wide kernels stay those of the SSE tier (their table entries are empty).
#include <emmintrin.h>

#include <cstddef>
#include <utility>

#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels::sse2 {
namespace {

inline __m128i load16(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void store16(std::uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

template <int hx, int hy>
__m128i predict16(const std::uint8_t* s, int stride) {
    if constexpr (hx && hy) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i two = _mm_set1_epi16(2);
        const __m128i a = load16(s), b = load16(s + 1), c = load16(s + stride), d = load16(s + stride + 1);
        const __m128i low = _mm_add_epi16(
            _mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero)),
            _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi8(c, zero), _mm_unpacklo_epi8(d, zero)), two));
        const __m128i high = _mm_add_epi16(
            _mm_add_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero)),
            _mm_add_epi16(_mm_add_epi16(_mm_unpackhi_epi8(c, zero), _mm_unpackhi_epi8(d, zero)), two));
        return _mm_packus_epi16(_mm_srli_epi16(low, 2), _mm_srli_epi16(high, 2));
    } else if constexpr (hx || hy) {
        return _mm_avg_epu8(load16(s), load16(s + (hx ? 1 : stride)));
    } else {
        return load16(s);
    }
}

// Index 2 * vertical half + horizontal half.
template <std::size_t index>
void predict(std::uint8_t* dst, const std::uint8_t* src, int stride, int height) {
    constexpr int hx = index & 1, hy = index >> 1;
    for (int y = 0; y < height; ++y, src += stride, dst += stride) store16(dst, predict16<hx, hy>(src, stride));
}

// Index 8 * v1 + 4 * h1 + 2 * v2 + h2.
template <std::size_t index>
void average(const std::uint8_t* src1, const std::uint8_t* src2, std::uint8_t* dst, int stride, int height) {
    constexpr int h1 = (index >> 2) & 1, v1 = index >> 3, h2 = index & 1, v2 = (index >> 1) & 1;
    for (int y = 0; y < height; ++y, src1 += stride, src2 += stride, dst += stride) {
        store16(dst, _mm_avg_epu8(predict16<h1, v1>(src1, stride), predict16<h2, v2>(src2, stride)));
    }
}

template <std::size_t... i>
constexpr std::array<KernelSlots::PredictFn, 4> predictTable(std::index_sequence<i...>) {
    return {{&predict<i>...}};
}

template <std::size_t... i>
constexpr std::array<KernelSlots::AverageFn, 16> averageTable(std::index_sequence<i...>) {
    return {{&average<i>...}};
}

}  // namespace

constexpr MotionKernels motion = {
    predictTable(std::make_index_sequence<4>()),
    {},
    averageTable(std::make_index_sequence<16>()),
    {},
};

}  // namespace tl::kernels::sse2
