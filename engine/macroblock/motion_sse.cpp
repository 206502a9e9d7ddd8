// Motion-compensation kernels on 64-bit registers with the SSE byte average,
// which rounds up exactly as (a + b + 1) >> 1. Both-halves predictions are
// built from byte averages too, with a correction that makes them exact; the
// copy kernels are the MMX ones (their table entries stay empty).
#include <xmmintrin.h>

#include <cstddef>
#include <utility>

#include "engine/macroblock/kernel_tiers.h"
#include "engine/macroblock/motion_mmx_lanes.h"

namespace tl::kernels::sse {
namespace {

// A horizontal pair of samples a, b: (a + b + 1) >> 1, and a ^ b, whose low bit
// says whether a + b was odd.
struct PairAverage {
    __m64 average, difference;
};

inline PairAverage pairAverage(const std::uint8_t* s) {
    const __m64 a = load8(s), b = load8(s + 1);
    return {_mm_avg_pu8(a, b), _mm_xor_si64(a, b)};
}

// (a + b + c + d + 2) >> 2 from the pair averages of (a, b) and (c, d). The
// average of the two averages exceeds it by exactly one when a pair sum was odd
// and the two averages differ in their low bit, and never otherwise (checked
// over all 2^32 sample combinations).
inline __m64 fourSampleAverage(PairAverage upper, PairAverage lower) {
    const __m64 rounded = _mm_avg_pu8(upper.average, lower.average);
    const __m64 odd = _mm_or_si64(upper.difference, lower.difference);
    const __m64 excess = _mm_and_si64(_mm_and_si64(odd, _mm_xor_si64(upper.average, lower.average)),
                                      _mm_set1_pi8(1));
    return _mm_sub_pi8(rounded, excess);
}

// The rows of an 8-wide prediction at half-sample position (hx, hy), top to
// bottom. Both halves keep the lower row's pair average for the next row.
template <int hx, int hy>
class ByteRows {
public:
    ByteRows(const std::uint8_t* src, int stride) : s_(src), stride_(stride) {
        if constexpr (hx && hy) below_ = pairAverage(s_);
    }

    __m64 next() {
        __m64 result;
        if constexpr (hx && hy) {
            const PairAverage above = below_;
            below_ = pairAverage(s_ + stride_);
            result = fourSampleAverage(above, below_);
        } else if constexpr (hx || hy) {
            result = _mm_avg_pu8(load8(s_), load8(s_ + (hx ? 1 : stride_)));
        } else {
            result = load8(s_);
        }
        s_ += stride_;
        return result;
    }

private:
    const std::uint8_t* s_;
    int stride_;
    PairAverage below_{};
};

// Index 1, 2 or 3: one or both half-sample directions.
template <int width, std::size_t index>
void predict(std::uint8_t* dst, const std::uint8_t* src, int stride, int height) {
    constexpr int hx = index & 1, hy = index >> 1;
    for (int x = 0; x < width; x += 8) {
        ByteRows<hx, hy> rows(src + x, stride);
        std::uint8_t* d = dst + x;
        for (int y = 0; y < height; ++y, d += stride) store8(d, rows.next());
    }
    _mm_empty();
}

// Index 8 * v1 + 4 * h1 + 2 * v2 + h2.
template <int width, std::size_t index>
void average(const std::uint8_t* src1, const std::uint8_t* src2, std::uint8_t* dst, int stride,
             int height) {
    constexpr int h1 = (index >> 2) & 1, v1 = index >> 3, h2 = index & 1, v2 = (index >> 1) & 1;
    for (int x = 0; x < width; x += 8) {
        ByteRows<h1, v1> first(src1 + x, stride);
        ByteRows<h2, v2> second(src2 + x, stride);
        std::uint8_t* d = dst + x;
        for (int y = 0; y < height; ++y, d += stride) store8(d, _mm_avg_pu8(first.next(), second.next()));
    }
    _mm_empty();
}

template <int width>
constexpr std::array<KernelSlots::PredictFn, 4> predictTable() {
    return {{nullptr, &predict<width, 1>, &predict<width, 2>, &predict<width, 3>}};
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
