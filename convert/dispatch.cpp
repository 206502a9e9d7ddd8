#include "convert/dispatch.h"

#include <algorithm>
#include <cstring>

#include "engine/base/cpu_features.h"

namespace tl {
namespace {

// Each chroma plane of the planar layout at the visible size: halved across
// but for 4:4:4 (chroma format 3), halved down for 4:2:0 (1).
int planarChromaWidth(const Picture& p) { return p.chromaFormat == 3 ? p.width : (p.width + 1) / 2; }
int planarChromaHeight(const Picture& p) { return p.chromaFormat == 1 ? (p.height + 1) / 2 : p.height; }

// The planar layout has no pitch of its own: rows are packed one after the
// other. A sample too small for the whole picture (a renderer attached a
// smaller type to it) gets the rows that fit, as the other formats are clipped
// to their sample.
void copyPlanar(const Picture& p, std::uint8_t* dst, std::ptrdiff_t capacity) {
    const int cw = planarChromaWidth(p), ch = planarChromaHeight(p);
    std::uint8_t* const end = dst + capacity;
    const auto copyPlane = [&](const std::uint8_t* src, int stride, int width, int rows) {
        for (int y = 0; y < rows && end - dst >= width; ++y, dst += width)
            std::memcpy(dst, src + std::ptrdiff_t(y) * stride, std::size_t(width));
    };
    copyPlane(p.planes[0], p.lumaStride, p.width, p.height);
    for (int c = 1; c < 3; ++c) copyPlane(p.planes[c], p.chromaStride, cw, ch);
}

bool chromaLayoutOf(int chromaFormat, ChromaLayout& layout) {
    switch (chromaFormat) {
    case 1: layout = ChromaLayout::C420; return true;
    case 2: layout = ChromaLayout::C422; return true;
    case 3: layout = ChromaLayout::C444; return true;
    default: return false;
    }
}

bool isRgb(int format) { return format >= OUTPUT_RGB32 && format <= OUTPUT_RGB555; }

void convert(const Picture& p, const ConversionContext& c, std::uint8_t* dst, int rowPitch, VerticalClass cls) {
    const int format = c.outputFormat;
    if (format == OUTPUT_PLANAR) {
        const std::int64_t bytes =
            c.bufferBytes > 0 ? c.bufferBytes : std::int64_t(rowPitch) * std::max(c.bufferRows, p.height);
        if (dst != nullptr && bytes > 0) copyPlanar(p, dst, std::ptrdiff_t(bytes));
        return;
    }
    if (format < OUTPUT_YUY2 || format > OUTPUT_RGB555 || format == OUTPUT_YVYU) return;
    ChromaLayout layout;
    const int chromaFormat = p.chromaFormat != 0 ? p.chromaFormat : c.chromaFormat;
    if (!chromaLayoutOf(chromaFormat, layout)) return;
    if (dst == nullptr || rowPitch <= 0 || p.width <= 0 || p.height <= 0) return;
    if (p.planes[0] == nullptr || p.planes[1] == nullptr || p.planes[2] == nullptr) return;
    // The kernels read whole rows at these strides; a record that does not hold
    // its own width is not converted.
    const int chromaWidth = layout == ChromaLayout::C444 ? p.width : (p.width + 1) / 2;
    if (p.lumaStride < p.width || p.chromaStride < chromaWidth) return;
    if (isRgb(format) && c.rgbMatrix == nullptr) return;

    KernelKey key;
    key.format = format;
    key.vertical = cls;
    key.chroma = layout;
    key.colorCorrection = !isRgb(format) && c.colorCorrection != 0;
    key.overlay = (format == OUTPUT_YUY2 || isRgb(format)) && c.overlayActive != 0 &&
                  c.overlaySurface != nullptr && c.overlayRowMask != nullptr;
    // A bottom-up picture is the same rows walked from the buffer's last row backwards.
    const int bufferRows = std::max(c.bufferRows, p.height);
    const bool bottomUp = c.rgbBottomUp && isRgb(format);
    std::uint8_t* firstRow = bottomUp ? dst + std::ptrdiff_t(bufferRows - 1) * rowPitch : dst;
    const ConvertKernel kernel = findKernel(key, chooseKernelTier(c.cpuFeatures, firstRow, rowPitch, format));
    if (kernel == nullptr) return;

    KernelArgs a;
    a.dst = firstRow;
    a.rowPitch = bottomUp ? -rowPitch : rowPitch;
    for (int i = 0; i < 3; ++i) a.planes[i] = p.planes[i];
    a.lumaStride = p.lumaStride;
    a.chromaStride = p.chromaStride;
    a.width = p.width;
    a.height = p.height;
    a.bufferRows = bufferRows;
    a.overlay = c.overlaySurface;
    a.overlayPitch = p.lumaStride;
    a.overlayRowMask = c.overlayRowMask;
    a.matrix = c.rgbMatrix;
    kernel(a);
}

}  // namespace

KernelTier chooseKernelTier(std::uint32_t cpuFeatures, const std::uint8_t* dst, int rowPitch, int format) {
    // YV12: the luma rows must be aligned; chroma rows that are not get unaligned stores.
    const int rowStep = format == OUTPUT_YV12 ? 2 * rowPitch / 3 : rowPitch;
    const bool aligned = reinterpret_cast<std::uintptr_t>(dst) % 16 == 0 && rowStep % 16 == 0;
    return std::clamp(tierOfFeatures(cpuFeatures), KernelTier::MMX, aligned ? KernelTier::AVX2 : KernelTier::SSE);
}

void FillBlack(std::uint8_t* dst, std::int32_t size, int format) {
    if (dst == nullptr || size <= 0) return;
    switch (format) {
    case OUTPUT_YUY2:
    case OUTPUT_UYVY: {
        const std::uint8_t luma = 0x00, chroma = 0x80;
        const std::uint8_t first = format == OUTPUT_YUY2 ? luma : chroma;
        const std::uint8_t second = format == OUTPUT_YUY2 ? chroma : luma;
        for (std::int32_t i = 0; i + 1 < size; i += 2) {
            dst[i] = first;
            dst[i + 1] = second;
        }
        break;
    }
    case OUTPUT_YV12: {
        const std::int32_t luma = size / 3 * 2;
        std::memset(dst, 0x00, std::size_t(luma));
        std::memset(dst + luma, 0x80, std::size_t(size - luma));
        break;
    }
    default:
        if (isRgb(format)) std::memset(dst, 0, std::size_t(size));
        break;
    }
}

int tightRowPitch(int format, int width) {
    if (format == OUTPUT_YV12) return (width + 1) / 2 * 2 * 3 / 2;
    return packedRowBytes(format, width);
}

std::int32_t planarImageSize(const Picture& p) {
    return p.width * p.height + 2 * planarChromaWidth(p) * planarChromaHeight(p);
}

void ConvertProgressive(const Picture& picture, const ConversionContext& context, std::uint8_t* dst,
                        int rowPitch) {
    convert(picture, context, dst, rowPitch, VerticalClass::Progressive);
}

void ConvertWeave(const Picture& picture, const ConversionContext& context, std::uint8_t* dst, int rowPitch) {
    convert(picture, context, dst, rowPitch, VerticalClass::Weave);
}

void ConvertSoftwareBob(const Picture& picture, const ConversionContext& context, std::uint8_t* dst,
                        int rowPitch) {
    convert(picture, context, dst, rowPitch, VerticalClass::Bob);
}

void ConvertFieldBob(const Picture& picture, const ConversionContext& context, std::uint8_t* dst, int rowPitch,
                     std::uint8_t topField) {
    convert(picture, context, dst, rowPitch, topField ? VerticalClass::FieldTop : VerticalClass::FieldBottom);
}

}  // namespace tl
