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
        if constexpr (Correct == PlaneCorrection::Luma) v = correctLuma<T>(v);
        if constexpr (Correct == PlaneCorrection::Chroma) v = correctChroma<T>(v);
        put(0, v);
    }
};

template <class T, VerticalClass C, PlaneCorrection Correct, bool Decimate>
void convertPlane(std::uint8_t* dst, int pitch, int rowBytes, const std::uint8_t* src, int stride,
                  int rows) {
    // A plain plane copy: the C library's copy uses the widest moves the
    // processor has, which no fixed-width loop of ours matches.
    if constexpr (Correct == PlaneCorrection::None && !Decimate &&
                  (C == VerticalClass::Progressive || C == VerticalClass::Weave)) {
        for (int r = 0; r < rows; ++r)
            std::memcpy(dst + static_cast<std::ptrdiff_t>(r) * pitch, src + static_cast<std::ptrdiff_t>(r) * stride,
                        static_cast<std::size_t>(rowBytes));
        return;
    }
    forEachPlaneRow<T, C>(src, stride, rows, [&](int r, const auto& rowSrc) {
        runRow<T>(dst + static_cast<std::ptrdiff_t>(r) * pitch, rowBytes, rowSrc,
                  PlaneOut<T, Correct, Decimate>{});
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
