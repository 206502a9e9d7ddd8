// The conversion kernel family: one straight-line kernel per combination of
// vertical class, output format, chroma layout, colour correction, overlay and
// instruction-set tier, looked up once per picture.
//
// Every kernel writes `height` rows of the output format's row size (clipped to
// |rowPitch|; RGB kernels also take a negative pitch, for bottom-up rows) and nothing else: bytes between the row size and rowPitch keep what
// the sample held. Sources are read in steps of up to 32 pixels, which stays
// inside planes allocated as the picture pool does (strides a multiple of 16,
// spare rows and bytes after the last row); RGB kernels read one chroma sample
// past the visible row.
#pragma once
#include <cstddef>
#include <cstdint>

#include "convert/rgb_matrix.h"
#include "engine/base/simd_tier.h"

namespace tl {

// Vertical rule of the deinterlace class (FieldTop/FieldBottom: one field of
// the double-rate bob).
enum class VerticalClass : int { Progressive = 0, Weave = 1, Bob = 2, FieldTop = 3, FieldBottom = 4 };

enum class ChromaLayout : int { C420 = 0, C422 = 1, C444 = 2 };

struct KernelArgs {
    std::uint8_t* dst = nullptr;
    int rowPitch = 0;
    const std::uint8_t* planes[3] = {nullptr, nullptr, nullptr};  // Y, Cb, Cr
    int lumaStride = 0;
    int chromaStride = 0;
    int width = 0;
    int height = 0;
    int bufferRows = 0;  // rows of the destination (YV12: of its luma plane), at least height
    const std::uint32_t* overlay = nullptr;  // premultiplied B,G,R,A; YUY2 pairs for YUY2 output
    int overlayPitch = 0;                    // in 32-bit pixels
    const std::uint8_t* overlayRowMask = nullptr;
    const RgbMatrixBlock* matrix = nullptr;
};

using ConvertKernel = void (*)(const KernelArgs&);

// The overlay bytes row r blends with, or null where the row mask says the row
// holds no alpha.
inline const std::uint8_t* overlayRow(const KernelArgs& a, int r) {
    if (!a.overlayRowMask[r]) return nullptr;
    return reinterpret_cast<const std::uint8_t*>(a.overlay + static_cast<std::ptrdiff_t>(r) * a.overlayPitch);
}

struct KernelKey {
    int format = 0;  // OutputFormatCode 0..7
    VerticalClass vertical = VerticalClass::Progressive;
    ChromaLayout chroma = ChromaLayout::C420;
    bool colorCorrection = false;  // YUY2, UYVY, YV12
    bool overlay = false;          // YUY2 and RGB
};

// The kernel for a key at a tier (SSE3 takes the SSE2 kernels, AVX2 its own
// RGB and YV12 kernels and the SSE2 ones for the rest), or null where the
// family has none (YVYU, codes above 7).
ConvertKernel findKernel(const KernelKey& key, KernelTier level);

// Bytes one output row of a packed format holds for `width` pixels.
int packedRowBytes(int format, int width);

// Per-family tables of each tier.
#define TL_CONVERSION_TIER                               \
    ConvertKernel packedYuvKernel(const KernelKey& key); \
    ConvertKernel rgbKernel(const KernelKey& key);       \
    ConvertKernel yv12Kernel(const KernelKey& key);

namespace plain {
TL_CONVERSION_TIER
}  // namespace plain
namespace mmx {
TL_CONVERSION_TIER
}  // namespace mmx
namespace sse {
TL_CONVERSION_TIER
}  // namespace sse
namespace sse2 {
TL_CONVERSION_TIER
}  // namespace sse2
namespace avx2 {
// The RGB formats and YV12; the packed YUV formats run their SSE2 kernels.
ConvertKernel rgbKernel(const KernelKey& key);
ConvertKernel yv12Kernel(const KernelKey& key);
}  // namespace avx2

#undef TL_CONVERSION_TIER

}  // namespace tl
