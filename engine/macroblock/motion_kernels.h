// Motion-compensation kernels written once for every register width, and the
// tables of a tier's kernels. FamilyKernels walks a block in strips of
// F::columns, each strip top to bottom, F::rows picture rows per step. The
// family F gives the row sources for each half-sample position (PredictRows and
// AverageRows), the two-source average, the store and finish(). ByteFamily
// builds one from an ops set with the byte average (block_ops_*.h). Include
// only from the tier files; the unnamed namespace keeps each includer's copy
// built with its own flags.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels {
namespace {

// A horizontal pair of samples a, b: (a + b + 1) >> 1, and a ^ b, whose low bit
// says whether a + b was odd.
template <class Ops>
struct PairAverage {
    typename Ops::V average, difference;

    static PairAverage at(const std::uint8_t* s, int stride) {
        const typename Ops::V a = Ops::load(s, stride), b = Ops::load(s + 1, stride);
        return {Ops::avg(a, b), Ops::xor_(a, b)};
    }
};

// (a + b + c + d + 2) >> 2 from the pair averages of (a, b) and (c, d). The
// average of the two averages exceeds it by exactly one when a pair sum was odd
// and the two averages differ in their low bit, and never otherwise (checked
// over all 2^32 sample combinations).
template <class Ops>
typename Ops::V fourSampleAverage(PairAverage<Ops> upper, PairAverage<Ops> lower) {
    const typename Ops::V rounded = Ops::avg(upper.average, lower.average);
    const typename Ops::V odd = Ops::or_(upper.difference, lower.difference);
    const typename Ops::V excess =
        Ops::and_(Ops::and_(odd, Ops::xor_(upper.average, lower.average)), Ops::set8(1));
    return Ops::sub8(rounded, excess);
}

// The rows of a prediction strip at half-sample position (hx, hy), top to
// bottom, by byte averages. With one row per register, both halves keep the
// lower row's pair average for the next row; with two rows per register each
// source row is loaded for both register halves it falls into.
template <class Ops, int hx, int hy>
class ByteRows {
public:
    using V = typename Ops::V;

    ByteRows(const std::uint8_t* src, int stride) : s_(src), stride_(stride) {
        if constexpr (keepsBelow) below_ = PairAverage<Ops>::at(s_, stride_);
    }

    V next() {
        V result;
        if constexpr (keepsBelow) {
            const PairAverage<Ops> above = below_;
            below_ = PairAverage<Ops>::at(s_ + stride_, stride_);
            result = fourSampleAverage(above, below_);
        } else if constexpr (hx && hy) {
            result = fourSampleAverage(PairAverage<Ops>::at(s_, stride_),
                                       PairAverage<Ops>::at(s_ + stride_, stride_));
        } else if constexpr (hx || hy) {
            result = Ops::avg(Ops::load(s_, stride_), Ops::load(s_ + (hx ? 1 : stride_), stride_));
        } else {
            result = Ops::load(s_, stride_);
        }
        s_ += Ops::rows * stride_;
        return result;
    }

private:
    static constexpr bool keepsBelow = hx && hy && Ops::rows == 1;

    const std::uint8_t* s_;
    int stride_;
    PairAverage<Ops> below_{};
};

// Everything at the byte average, which rounds up exactly as (a + b + 1) >> 1.
template <class Ops>
struct ByteFamily {
    using V = typename Ops::V;
    static constexpr int columns = Ops::columns;
    static constexpr int rows = Ops::rows;
    template <int hx, int hy>
    using PredictRows = ByteRows<Ops, hx, hy>;
    template <int hx, int hy>
    using AverageRows = ByteRows<Ops, hx, hy>;

    static V average(V a, V b) { return Ops::avg(a, b); }
    static void store(std::uint8_t* p, int stride, V v) { Ops::store(p, stride, v); }
    static void finish() { Ops::finish(); }
};

// The kernels of one family and width. Heights are multiples of 4, so each
// round of a strip stores four picture rows: a quarter of the loop's own steps.
template <class F, int width>
struct FamilyKernels {
    static constexpr int round = 4;
    static_assert(round % F::rows == 0, "a round is whole register rows");

    // Index 2 * vertical half + horizontal half.
    template <std::size_t index>
    static void predict(std::uint8_t* dst, const std::uint8_t* src, int stride, int height) {
        constexpr int hx = index & 1, hy = index >> 1;
        for (int x = 0; x < width; x += F::columns) {
            typename F::template PredictRows<hx, hy> rows(src + x, stride);
            std::uint8_t* d = dst + x;
            for (int y = 0; y < height; y += round, d += round * stride) {
                for (int r = 0; r < round; r += F::rows) F::store(d + r * stride, stride, rows.next());
            }
        }
        F::finish();
    }

    // Index 8 * v1 + 4 * h1 + 2 * v2 + h2.
    template <std::size_t index>
    static void average(const std::uint8_t* src1, const std::uint8_t* src2, std::uint8_t* dst, int stride,
                        int height) {
        constexpr int h1 = (index >> 2) & 1, v1 = index >> 3, h2 = index & 1, v2 = (index >> 1) & 1;
        for (int x = 0; x < width; x += F::columns) {
            typename F::template AverageRows<h1, v1> first(src1 + x, stride);
            typename F::template AverageRows<h2, v2> second(src2 + x, stride);
            std::uint8_t* d = dst + x;
            for (int y = 0; y < height; y += round, d += round * stride) {
                for (int r = 0; r < round; r += F::rows)
                    F::store(d + r * stride, stride, F::average(first.next(), second.next()));
            }
        }
        F::finish();
    }
};

// A table of K's kernels; without `copy` the copy entry (index 0) is left
// empty, so the tier below keeps it.
template <class K, bool copy, std::size_t... i>
constexpr std::array<KernelSlots::PredictFn, 4> predictTable(std::index_sequence<0, i...>) {
    return {{copy ? &K::template predict<0> : nullptr, &K::template predict<i>...}};
}

template <class K, std::size_t... i>
constexpr std::array<KernelSlots::AverageFn, 16> averageTable(std::index_sequence<i...>) {
    return {{&K::template average<i>...}};
}

// A tier's motion table from its wide (16 column) and narrow (8 column) kernels.
template <class Wide, class Narrow, bool wideCopy = true, bool narrowCopy = true>
constexpr MotionKernels motionKernels() {
    return {predictTable<Wide, wideCopy>(std::make_index_sequence<4>()),
            predictTable<Narrow, narrowCopy>(std::make_index_sequence<4>()),
            averageTable<Wide>(std::make_index_sequence<16>()),
            averageTable<Narrow>(std::make_index_sequence<16>())};
}

}  // namespace
}  // namespace tl::kernels
