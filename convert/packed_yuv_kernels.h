// YUY2 and UYVY kernels: luma and (subsampled) chroma interleaved per pixel
// pair, optionally range-corrected, YUY2 optionally blended with the overlay.
// Instantiated once per tier by packed_yuv_<tier>.cpp.
#pragma once
#include <algorithm>

#include "convert/dispatch.h"
#include "convert/kernel_select.h"
#include "convert/simd_blocks.h"

namespace tl {
namespace {

// Sub: chroma has one sample per pixel pair (4:2:0, 4:2:2); otherwise one per
// pixel (4:4:4), of which the pair's first is taken.
template <class T, bool Uyvy, bool Sub, bool Correct, bool Blend>
struct PackedYuvOut {
    using V = typename T::V;
    static constexpr int kStepPixels = T::kWidth;
    static constexpr int kStepBytes = 2 * T::kWidth;
    static constexpr int W = T::kWidth;

    const std::uint8_t* overlay;  // the row's YUY2-ready overlay pairs, when blending

    template <class Src>
    static V chromaOf(const Src& s, int plane, int x) {
        if constexpr (Sub) {
            return s.template chroma<W / 2>(plane, x / 2);
        } else {
            const V all = s.template chroma<W>(plane, x);
            return T::packus16(T::and_(all, T::set16(0x00FF)), T::zero());
        }
    }

    template <class Src, class Put>
    void step(const Src& s, int x, Put&& put) const {
        V y = s.template luma<W>(x);
        V cb = chromaOf(s, 0, x);
        V cr = chromaOf(s, 1, x);
        if constexpr (Correct) {
            y = correctLuma<T>(y);
            cb = correctChroma<T>(cb);
            cr = correctChroma<T>(cr);
        }
        const V uv = T::unpacklo8(cb, cr);
        V out[2];
        if constexpr (Uyvy) {
            out[0] = T::unpacklo8(uv, y);
            out[1] = T::unpackhi8(uv, y);
        } else {
            out[0] = T::unpacklo8(y, uv);
            out[1] = T::unpackhi8(y, uv);
        }
        for (int i = 0; i < 2; ++i) {
            if constexpr (Blend) {
                // Overlay pairs: four colour bytes, then their four alpha bytes.
                const std::uint8_t* o = overlay + 4 * x + 2 * W * i;
                V colour, alpha;
                T::splitPairs(T::template load<W>(o), T::template load<W>(o + W), colour, alpha);
                if (!T::allZero(alpha)) out[i] = blendOverlay<T>(out[i], colour, alpha);
            }
            put(i, out[i]);
        }
    }
};

template <class T, VerticalClass C, ChromaLayout L, bool Uyvy, bool Correct, bool Overlay>
void convertPackedYuv(const KernelArgs& a) {
    constexpr bool sub = L != ChromaLayout::C444;
    const int rowBytes = std::min(packedRowBytes(Uyvy ? OUTPUT_UYVY : OUTPUT_YUY2, a.width), a.rowPitch);
    forEachRow<T, C, L == ChromaLayout::C420>(a, [&](int r, const auto& src) {
        std::uint8_t* d = a.dst + static_cast<std::ptrdiff_t>(r) * a.rowPitch;
        if constexpr (Overlay) {
            if (const std::uint8_t* o = overlayRow(a, r)) {
                runRow<T>(d, rowBytes, src, PackedYuvOut<T, Uyvy, sub, Correct, true>{o});
                return;
            }
        }
        runRow<T>(d, rowBytes, src, PackedYuvOut<T, Uyvy, sub, Correct, false>{nullptr});
    });
    T::finish();
}

// The family for selectPackedYuv.
template <class T>
struct SimdPackedYuv {
    template <VerticalClass C, ChromaLayout L, bool Uyvy, bool Correct, bool Overlay>
    static void kernel(const KernelArgs& a) {
        convertPackedYuv<T, C, L, Uyvy, Correct, Overlay>(a);
    }
};

}  // namespace
}  // namespace tl
