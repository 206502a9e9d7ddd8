// Turns a run-time KernelKey into a pointer to the kernel template instance
// for it: each helper calls f with the value as a compile-time constant.
#pragma once
#include <type_traits>

#include "convert/conversion_kernels.h"
#include "convert/output_format.h"

namespace tl {

template <VerticalClass C>
using ClassConstant = std::integral_constant<VerticalClass, C>;
template <ChromaLayout L>
using LayoutConstant = std::integral_constant<ChromaLayout, L>;

template <class F>
ConvertKernel withVerticalClass(VerticalClass c, F&& f) {
    switch (c) {
    case VerticalClass::Progressive: return f(ClassConstant<VerticalClass::Progressive>{});
    case VerticalClass::Weave: return f(ClassConstant<VerticalClass::Weave>{});
    case VerticalClass::Bob: return f(ClassConstant<VerticalClass::Bob>{});
    case VerticalClass::FieldTop: return f(ClassConstant<VerticalClass::FieldTop>{});
    case VerticalClass::FieldBottom: return f(ClassConstant<VerticalClass::FieldBottom>{});
    }
    return nullptr;
}

template <class F>
ConvertKernel withChromaLayout(ChromaLayout l, F&& f) {
    switch (l) {
    case ChromaLayout::C420: return f(LayoutConstant<ChromaLayout::C420>{});
    case ChromaLayout::C422: return f(LayoutConstant<ChromaLayout::C422>{});
    case ChromaLayout::C444: return f(LayoutConstant<ChromaLayout::C444>{});
    }
    return nullptr;
}

template <class F>
ConvertKernel withFlag(bool b, F&& f) {
    return b ? f(std::true_type{}) : f(std::false_type{});
}

// Codes 4..7 (RGB32, RGB24, RGB565, RGB555); anything else has no RGB kernel.
template <class F>
ConvertKernel withRgbFormat(int format, F&& f) {
    switch (format) {
    case 4: return f(std::integral_constant<int, 4>{});
    case 5: return f(std::integral_constant<int, 5>{});
    case 6: return f(std::integral_constant<int, 6>{});
    case 7: return f(std::integral_constant<int, 7>{});
    default: return nullptr;
    }
}

// Weave differs from progressive only where 4:2:0 chroma is upsampled, and
// never for a plane copy: those keys share the progressive kernel.
inline VerticalClass sharedClass(VerticalClass c, bool upsamplesChroma) {
    return c == VerticalClass::Weave && !upsamplesChroma ? VerticalClass::Progressive : c;
}

// The kernel of a family for a key, written once for the plain reference and
// every SIMD tier: Family::kernel<...> is the family's kernel for the key's
// values as compile-time constants; null where the family has none.
template <class Family>
ConvertKernel selectPackedYuv(const KernelKey& k) {
    if (k.format != OUTPUT_YUY2 && k.format != OUTPUT_UYVY) return nullptr;
    const VerticalClass v = sharedClass(k.vertical, k.chroma == ChromaLayout::C420);
    const bool overlay = k.overlay && k.format == OUTPUT_YUY2;
    return withVerticalClass(v, [&](auto c) {
        return withChromaLayout(k.chroma, [&](auto l) {
            return withFlag(k.colorCorrection, [&](auto cc) -> ConvertKernel {
                if (k.format == OUTPUT_UYVY) return &Family::template kernel<c, l, true, cc, false>;
                return withFlag(overlay, [&](auto ov) -> ConvertKernel {
                    return &Family::template kernel<c, l, false, cc, ov>;
                });
            });
        });
    });
}

template <class Family>
ConvertKernel selectRgb(const KernelKey& k) {
    const VerticalClass v = sharedClass(k.vertical, k.chroma == ChromaLayout::C420);
    return withRgbFormat(k.format, [&](auto f) {
        return withVerticalClass(v, [&](auto c) {
            return withChromaLayout(k.chroma, [&](auto l) {
                return withFlag(k.overlay, [&](auto ov) -> ConvertKernel {
                    return &Family::template kernel<c, l, f, ov>;
                });
            });
        });
    });
}

template <class Family>
ConvertKernel selectYv12(const KernelKey& k) {
    if (k.format != OUTPUT_YV12) return nullptr;
    return withVerticalClass(sharedClass(k.vertical, false), [&](auto c) {
        return withChromaLayout(k.chroma, [&](auto l) {
            return withFlag(k.colorCorrection, [&](auto cc) -> ConvertKernel {
                return &Family::template kernel<c, l, cc>;
            });
        });
    });
}

}  // namespace tl
