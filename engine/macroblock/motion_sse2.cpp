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

struct Words {
    __m128i low, high;
};

// The row's horizontal pair sums a + b in 16-bit lanes.
inline Words pairSums(const std::uint8_t* s) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i a = load16(s), b = load16(s + 1);
    return {_mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero)),
            _mm_add_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero))};
}

// The rows of a 16-wide prediction at half-sample position (hx, hy), top to
// bottom. Both halves keep the lower row's pair sums for the next row and add
// all four neighbours before one rounding shift.
template <int hx, int hy>
class Rows {
public:
    Rows(const std::uint8_t* src, int stride) : s_(src), stride_(stride) {
        if constexpr (hx && hy) below_ = pairSums(s_);
    }

    __m128i next() {
        __m128i result;
        if constexpr (hx && hy) {
            const Words above = below_;
            below_ = pairSums(s_ + stride_);
            const __m128i two = _mm_set1_epi16(2);
            const __m128i low = _mm_add_epi16(_mm_add_epi16(above.low, below_.low), two);
            const __m128i high = _mm_add_epi16(_mm_add_epi16(above.high, below_.high), two);
            result = _mm_packus_epi16(_mm_srli_epi16(low, 2), _mm_srli_epi16(high, 2));
        } else if constexpr (hx || hy) {
            result = _mm_avg_epu8(load16(s_), load16(s_ + (hx ? 1 : stride_)));
        } else {
            result = load16(s_);
        }
        s_ += stride_;
        return result;
    }

private:
    const std::uint8_t* s_;
    int stride_;
    Words below_{};
};

// Index 2 * vertical half + horizontal half.
template <std::size_t index>
void predict(std::uint8_t* dst, const std::uint8_t* src, int stride, int height) {
    Rows<index & 1, (index >> 1)> rows(src, stride);
    for (int y = 0; y < height; ++y, dst += stride) store16(dst, rows.next());
}

// Index 8 * v1 + 4 * h1 + 2 * v2 + h2.
template <std::size_t index>
void average(const std::uint8_t* src1, const std::uint8_t* src2, std::uint8_t* dst, int stride, int height) {
    Rows<(index >> 2) & 1, (index >> 3)> first(src1, stride);
    Rows<index & 1, (index >> 1) & 1> second(src2, stride);
    for (int y = 0; y < height; ++y, dst += stride) store16(dst, _mm_avg_epu8(first.next(), second.next()));
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
