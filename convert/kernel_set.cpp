#include <algorithm>

#include "convert/conversion_kernels.h"
#include "convert/dispatch.h"

namespace tl {

int packedRowBytes(int format, int width) {
    switch (format) {
    case OUTPUT_YUY2:
    case OUTPUT_UYVY:
    case OUTPUT_YVYU: return (width + 1) / 2 * 4;
    case OUTPUT_RGB32: return 4 * width;
    case OUTPUT_RGB24: return 3 * width;
    case OUTPUT_RGB565:
    case OUTPUT_RGB555: return 2 * width;
    default: return 0;
    }
}

ConvertKernel findKernel(const KernelKey& key, KernelTier level) {
    using Table = ConvertKernel (*)(const KernelKey&);
    struct Tier {
        Table packedYuv, rgb, yv12;
    };
    static constexpr Tier kTiers[] = {
        {plain::packedYuvKernel, plain::rgbKernel, plain::yv12Kernel},
        {mmx::packedYuvKernel, mmx::rgbKernel, mmx::yv12Kernel},
        {sse::packedYuvKernel, sse::rgbKernel, sse::yv12Kernel},
        {sse2::packedYuvKernel, sse2::rgbKernel, sse2::yv12Kernel},
    };
    if (level >= KernelTier::AVX2) {
        if (const ConvertKernel k = avx2::rgbKernel(key)) return k;
        if (const ConvertKernel k = avx2::yv12Kernel(key)) return k;
    }
    const Tier& tier = kTiers[static_cast<int>(std::min(level, KernelTier::SSE2))];
    switch (key.format) {
    case OUTPUT_YUY2:
    case OUTPUT_UYVY: return tier.packedYuv(key);
    case OUTPUT_YV12: return tier.yv12(key);
    case OUTPUT_RGB32:
    case OUTPUT_RGB24:
    case OUTPUT_RGB565:
    case OUTPUT_RGB555: return tier.rgb(key);
    default: return nullptr;
    }
}

}  // namespace tl
