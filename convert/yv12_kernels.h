// YV12 kernels: each output plane from one source plane, rows combined by the
// class's vertical rule at the plane's own size, optionally range-corrected.
// 4:2:2 input takes every second chroma row and 4:4:4 input also every second
// chroma sample. Instantiated once per tier by yv12_<tier>.cpp.
#pragma once
#include <algorithm>
#include <cstring>
#include <type_traits>

#include "convert/dispatch.h"
#include "convert/kernel_select.h"
#include "convert/simd_blocks.h"

namespace tl {
namespace {

enum class PlaneCorrection { None, Luma, Chroma };

template <class T, PlaneCorrection Correct>
typename T::V corrected(typename T::V v) {
    if constexpr (Correct == PlaneCorrection::Luma) return correctLuma<T>(v);
    if constexpr (Correct == PlaneCorrection::Chroma) return correctChroma<T>(v);
    return v;
}

// Tiers whose stores need aligned rows name a variant that stores unaligned.
template <class T, class = void>
constexpr bool kHasUnaligned = false;
template <class T>
constexpr bool kHasUnaligned<T, std::void_t<typename T::Unaligned>> = true;

template <class T, PlaneCorrection Correct, bool Decimate>
struct PlaneOut {
    using V = typename T::V;
    static constexpr int W = T::kWidth;
    static constexpr int kStepPixels = W;
    static constexpr int kStepBytes = W;

    template <class Src, class Put>
    void step(const Src& s, int x, Put&& put) const {
        V v;
        if constexpr (Decimate) {
            const V even = T::set16(0x00FF);
            const V a = T::and_(s.template luma<W>(2 * x), even);
            const V b = T::and_(s.template luma<W>(2 * x + W), even);
            if constexpr (T::kSplitLanes)
                v = T::packus16InOrder(a, b);
            else
                v = T::packus16(a, b);
        } else {
            v = s.template luma<W>(x);
        }
        put(0, corrected<T, Correct>(v));
    }
};

// The single-rate bob over a plane two output rows at a time: rows r and
// r + 1 read the four source rows r - 1 .. r + 2 once for both. Returns the
// rows done (all but an odd last one).
template <class T, PlaneCorrection Correct>
int bobPlanePairs(std::uint8_t* dst, int pitch, int rowBytes, const std::uint8_t* src, int stride, int rows) {
    using V = typename T::V;
    constexpr int W = T::kWidth;
    const auto P = [src, stride, rows](int r) { return src + static_cast<std::ptrdiff_t>(clampRow(r, rows)) * stride; };
    int r = 0;
    for (; r + 1 < rows; r += 2) {
        const std::uint8_t* above = P(r - 1);
        const std::uint8_t* first = P(r);
        const std::uint8_t* second = P(r + 1);
        const std::uint8_t* below = P(r + 2);
        // The next pair reads rows r + 3 and r + 4 new.
        const std::uint8_t* next3 = P(r + 3);
        const std::uint8_t* next4 = P(r + 4);
        std::uint8_t* d0 = dst + static_cast<std::ptrdiff_t>(r) * pitch;
        std::uint8_t* d1 = d0 + pitch;
        const auto pair = [&](int x, V& out0, V& out1) {
            const V a = T::template load<W>(above + x);
            const V b = T::template load<W>(first + x);
            const V c = T::template load<W>(second + x);
            const V e = T::template load<W>(below + x);
            out0 = corrected<T, Correct>(T::avg(b, T::avg(a, c)));
            out1 = corrected<T, Correct>(T::avg(c, T::avg(b, e)));
        };
        const auto pairAt = [&](int x) {
            V out0, out1;
            pair(x, out0, out1);
            T::store(d0 + x, out0);
            T::store(d1 + x, out1);
        };
        int x = 0;
        // Whole cache lines first, one prefetch per line and no test per step.
        for (; x + 64 <= rowBytes; x += 64) {
            T::prefetch(next3 + x);
            T::prefetch(next4 + x);
            for (int i = 0; i < 64; i += W) pairAt(x + i);
        }
        for (; x + W <= rowBytes; x += W) pairAt(x);
        if (x < rowBytes) {
            alignas(32) std::uint8_t tail[2][W];
            V out0, out1;
            pair(x, out0, out1);
            T::storeTemp(tail[0], out0);
            T::storeTemp(tail[1], out1);
            std::memcpy(d0 + x, tail[0], static_cast<std::size_t>(rowBytes - x));
            std::memcpy(d1 + x, tail[1], static_cast<std::size_t>(rowBytes - x));
        }
    }
    return r;
}

template <class T, VerticalClass C, PlaneCorrection Correct, bool Decimate>
void convertPlane(std::uint8_t* dst, int pitch, int rowBytes, const std::uint8_t* src, int stride,
                  int rows) {
    int first = 0;
    if constexpr (C == VerticalClass::Bob && !Decimate)
        first = bobPlanePairs<T, Correct>(dst, pitch, rowBytes, src, stride, rows);
    forEachPlaneRow<T, C>(src, stride, rows, first, [&](int r, const auto& rowSrc) {
        std::uint8_t* d = dst + static_cast<std::ptrdiff_t>(r) * pitch;
        // A row copied as it is: the C library's copy uses the widest moves
        // the processor has, which no fixed-width loop of ours matches.
        if constexpr (Correct == PlaneCorrection::None && !Decimate &&
                      std::is_same_v<typename std::decay_t<decltype(rowSrc)>::Rule, VCopy>)
            std::memcpy(d, rowSrc.y[0], static_cast<std::size_t>(rowBytes));
        else
            runRow<T>(d, rowBytes, rowSrc, PlaneOut<T, Correct, Decimate>{});
    });
}

template <class T, VerticalClass C, ChromaLayout L, bool Correct>
void convertYv12(const KernelArgs& a) {
    const int lumaPitch = 2 * a.rowPitch / 3;
    const int chromaPitch = lumaPitch / 2;
    const int chromaRows = a.height / 2;
    const int chromaStep = L == ChromaLayout::C420 ? a.chromaStride : 2 * a.chromaStride;
    constexpr bool decimate = L == ChromaLayout::C444;
    constexpr auto lumaFix = Correct ? PlaneCorrection::Luma : PlaneCorrection::None;
    constexpr auto chromaFix = Correct ? PlaneCorrection::Chroma : PlaneCorrection::None;
    const int lumaRows = std::max(a.height, a.bufferRows);
    std::uint8_t* cr = a.dst + static_cast<std::ptrdiff_t>(lumaPitch) * lumaRows;
    std::uint8_t* cb = cr + static_cast<std::ptrdiff_t>(chromaPitch) * (lumaRows / 2);
    const int chromaBytes = std::min(a.width / 2, chromaPitch);
    convertPlane<T, C, lumaFix, false>(a.dst, lumaPitch, std::min(a.width, lumaPitch), a.planes[0],
                                       a.lumaStride, a.height);
    if (chromaBytes <= 0) {
        T::finish();
        return;
    }
    // A luma pitch of 16 modulo 32 leaves the chroma rows 8 bytes off alignment.
    const auto chromaPlanes = [&](auto ops) {
        using Ops = decltype(ops);
        convertPlane<Ops, C, chromaFix, decimate>(cr, chromaPitch, chromaBytes, a.planes[2], chromaStep,
                                                  chromaRows);
        convertPlane<Ops, C, chromaFix, decimate>(cb, chromaPitch, chromaBytes, a.planes[1], chromaStep,
                                                  chromaRows);
    };
    if constexpr (kHasUnaligned<T>) {
        if (chromaPitch % 16 != 0) {
            chromaPlanes(typename T::Unaligned{});
            T::finish();
            return;
        }
    }
    chromaPlanes(T{});
    T::finish();
}

// The family for selectYv12.
template <class T>
struct SimdYv12 {
    template <VerticalClass C, ChromaLayout L, bool Correct>
    static void kernel(const KernelArgs& a) {
        convertYv12<T, C, L, Correct>(a);
    }
};

}  // namespace
}  // namespace tl
