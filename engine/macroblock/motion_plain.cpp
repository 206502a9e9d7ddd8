// Reference motion-compensation kernels: one template per family, instantiated
// for every half-sample position so that no kernel branches per sample.
#include "engine/macroblock/motion_kernels.h"

namespace tl::kernels::plain {
namespace {

// Prediction of one sample at half-sample position (hx, hy).
template <int hx, int hy>
int sample(const std::uint8_t* s, int stride) {
    if constexpr (hx && hy) {
        return (s[0] + s[1] + s[stride] + s[stride + 1] + 2) >> 2;
    } else if constexpr (hx) {
        return (s[0] + s[1] + 1) >> 1;
    } else if constexpr (hy) {
        return (s[0] + s[stride] + 1) >> 1;
    } else {
        return s[0];
    }
}

template <int width>
struct Kernels {
    // Index 2 * vertical half + horizontal half.
    template <std::size_t index>
    static void predict(std::uint8_t* dst, const std::uint8_t* src, int stride, int height) {
        constexpr int hx = index & 1, hy = index >> 1;
        for (int y = 0; y < height; ++y, src += stride, dst += stride) {
            for (int x = 0; x < width; ++x) dst[x] = static_cast<std::uint8_t>(sample<hx, hy>(src + x, stride));
        }
    }

    // Index 8 * v1 + 4 * h1 + 2 * v2 + h2.
    template <std::size_t index>
    static void average(const std::uint8_t* src1, const std::uint8_t* src2, std::uint8_t* dst, int stride,
                        int height) {
        constexpr int h1 = (index >> 2) & 1, v1 = index >> 3, h2 = index & 1, v2 = (index >> 1) & 1;
        for (int y = 0; y < height; ++y, src1 += stride, src2 += stride, dst += stride) {
            for (int x = 0; x < width; ++x) {
                const int p = sample<h1, v1>(src1 + x, stride);
                const int q = sample<h2, v2>(src2 + x, stride);
                dst[x] = static_cast<std::uint8_t>((p + q + 1) >> 1);
            }
        }
    }
};

}  // namespace

constexpr MotionKernels motion = motionKernels<Kernels<16>, Kernels<8>>();

}  // namespace tl::kernels::plain
