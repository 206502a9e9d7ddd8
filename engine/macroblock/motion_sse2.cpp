// Motion-compensation kernels on 128-bit registers: one row of a 16-wide
// block, or two rows of an 8-wide block, per register. Half-sample and
// two-source averages use the byte average (which rounds up); both-halves
// predictions use byte averages with a correction that makes them exact.
#include <emmintrin.h>

#include <cstddef>
#include <utility>

#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels::sse2 {
namespace {

inline __m128i load16(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void store16(std::uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// A horizontal pair of samples a, b: (a + b + 1) >> 1, and a ^ b, whose low bit
// says whether a + b was odd.
struct PairAverage {
    __m128i average, difference;
};

inline PairAverage pairAverage(const std::uint8_t* s) {
    const __m128i a = load16(s), b = load16(s + 1);
    return {_mm_avg_epu8(a, b), _mm_xor_si128(a, b)};
}

// (a + b + c + d + 2) >> 2 from the pair averages of (a, b) and (c, d). The
// average of the two averages exceeds it by exactly one when a pair sum was odd
// and the two averages differ in their low bit, and never otherwise (checked
// over all 2^32 sample combinations).
inline __m128i fourSampleAverage(PairAverage upper, PairAverage lower) {
    const __m128i rounded = _mm_avg_epu8(upper.average, lower.average);
    const __m128i odd = _mm_or_si128(upper.difference, lower.difference);
    const __m128i excess = _mm_and_si128(_mm_and_si128(odd, _mm_xor_si128(upper.average, lower.average)),
                                         _mm_set1_epi8(1));
    return _mm_sub_epi8(rounded, excess);
}

// The rows of a 16-wide prediction at half-sample position (hx, hy), top to
// bottom. Both halves keep the lower row's pair average for the next row.
template <int hx, int hy>
class Rows {
public:
    Rows(const std::uint8_t* src, int stride) : s_(src), stride_(stride) {
        if constexpr (hx && hy) below_ = pairAverage(s_);
    }

    __m128i next() {
        __m128i result;
        if constexpr (hx && hy) {
            const PairAverage above = below_;
            below_ = pairAverage(s_ + stride_);
            result = fourSampleAverage(above, below_);
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
    PairAverage below_{};
};

// Two 8-byte rows, `p` and the one a stride below, in one register.
inline __m128i loadTwoRows(const std::uint8_t* p, int stride) {
    const __m128i upper = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    return _mm_castpd_si128(_mm_loadh_pd(_mm_castsi128_pd(upper), reinterpret_cast<const double*>(p + stride)));
}

inline void storeTwoRows(std::uint8_t* p, int stride, __m128i v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
    _mm_storeh_pd(reinterpret_cast<double*>(p + stride), _mm_castsi128_pd(v));
}

inline PairAverage pairAverageOfTwoRows(const std::uint8_t* s, int stride) {
    const __m128i a = loadTwoRows(s, stride), b = loadTwoRows(s + 1, stride);
    return {_mm_avg_epu8(a, b), _mm_xor_si128(a, b)};
}

// The rows of an 8-wide prediction, two per register (heights are even). Each
// source row is loaded for both register halves it falls into.
template <int hx, int hy>
class NarrowRowPairs {
public:
    NarrowRowPairs(const std::uint8_t* src, int stride) : s_(src), stride_(stride) {}

    __m128i next() {
        __m128i result;
        if constexpr (hx && hy) {
            result = fourSampleAverage(pairAverageOfTwoRows(s_, stride_),
                                       pairAverageOfTwoRows(s_ + stride_, stride_));
        } else if constexpr (hx || hy) {
            result = _mm_avg_epu8(loadTwoRows(s_, stride_), loadTwoRows(s_ + (hx ? 1 : stride_), stride_));
        } else {
            result = loadTwoRows(s_, stride_);
        }
        s_ += 2 * stride_;
        return result;
    }

private:
    const std::uint8_t* s_;
    int stride_;
};

template <std::size_t index>
void predictNarrow(std::uint8_t* dst, const std::uint8_t* src, int stride, int height) {
    NarrowRowPairs<index & 1, (index >> 1)> rows(src, stride);
    for (int y = 0; y < height; y += 2, dst += 2 * stride) storeTwoRows(dst, stride, rows.next());
}

template <std::size_t index>
void averageNarrow(const std::uint8_t* src1, const std::uint8_t* src2, std::uint8_t* dst, int stride,
                   int height) {
    NarrowRowPairs<(index >> 2) & 1, (index >> 3)> first(src1, stride);
    NarrowRowPairs<index & 1, (index >> 1) & 1> second(src2, stride);
    for (int y = 0; y < height; y += 2, dst += 2 * stride) {
        storeTwoRows(dst, stride, _mm_avg_epu8(first.next(), second.next()));
    }
}

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

// The narrow copy stays the 64-bit one: two rows per register saves nothing there.
template <std::size_t... i>
constexpr std::array<KernelSlots::PredictFn, 4> predictNarrowTable(std::index_sequence<i...>) {
    return {{nullptr, &predictNarrow<i + 1>...}};
}

template <std::size_t... i>
constexpr std::array<KernelSlots::AverageFn, 16> averageTable(std::index_sequence<i...>) {
    return {{&average<i>...}};
}

template <std::size_t... i>
constexpr std::array<KernelSlots::AverageFn, 16> averageNarrowTable(std::index_sequence<i...>) {
    return {{&averageNarrow<i>...}};
}

}  // namespace

constexpr MotionKernels motion = {
    predictTable(std::make_index_sequence<4>()),
    predictNarrowTable(std::make_index_sequence<3>()),
    averageTable(std::make_index_sequence<16>()),
    averageNarrowTable(std::make_index_sequence<16>()),
};

}  // namespace tl::kernels::sse2
