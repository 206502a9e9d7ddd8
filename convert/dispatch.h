// Routes a decoded picture to the conversion kernel for the output format,
// chroma format, deinterlace mode and processor level.
#pragma once
#include <cstdint>

#include "convert/conversion_kernels.h"
#include "convert/output_format.h"
#include "engine/base/picture.h"

namespace tl {

struct ConversionContext {
    std::int32_t outputFormat = OUTPUT_YUY2;
    std::int32_t chromaFormat = 1;
    std::uint8_t colorCorrection = 1;
    std::uint8_t overlayActive = 0;
    // Premultiplied ARGB, row pitch 4 * picture coded width; for YUY2 output each
    // pixel pair holds the premultiplied Y0, Cb, Y1, Cr bytes and then a0, a_avg, a1, a_avg.
    const std::uint32_t* overlaySurface = nullptr;
    const std::uint8_t* overlayRowMask = nullptr;
    const RgbMatrixBlock* rgbMatrix = nullptr;
    std::uint32_t cpuFeatures = 0;  // CPUID leaf 1 EDX layout, masked by the settings
    // RGB rows are stored last row first, as in a bitmap whose height is positive.
    bool rgbBottomUp = false;
    // Rows the sample holds when it is taller than the picture (YV12: rows of its
    // luma plane); the picture fills the top ones. 0: the picture's height.
    std::int32_t bufferRows = 0;
    // Bytes the sample holds. The planar copy stops at them, since its packed
    // size is no multiple of a row pitch; 0: rowPitch times the buffer's rows.
    std::int64_t bufferBytes = 0;
};

// One call per output sample. rowPitch = sample buffer length / rows of the buffer.
// Rows are written from the start of dst, rowPitch apart (RGB with
// rgbBottomUp: from the last row of the buffer up), each with the format's row
// size (YV12: planes with pitches 2 * rowPitch / 3 and half of that). Planar
// pictures are written packed, as many whole rows as fit in the buffer's bytes.
// Nothing is written for YVYU, unknown formats or unusable arguments.
void ConvertProgressive(const Picture& picture, const ConversionContext& context, std::uint8_t* dst,
                        int rowPitch);
void ConvertWeave(const Picture& picture, const ConversionContext& context, std::uint8_t* dst,
                  int rowPitch);
void ConvertSoftwareBob(const Picture& picture, const ConversionContext& context, std::uint8_t* dst,
                        int rowPitch);
void ConvertFieldBob(const Picture& picture, const ConversionContext& context, std::uint8_t* dst,
                     int rowPitch, std::uint8_t topField);

// The tier a conversion into dst runs at: the processor's best from SSE2 up
// (AVX2, SSE3, SSE2) when every output row (YV12: every luma row) starts on a
// 16-byte boundary, as the SSE2 kernels store with aligned stores; else SSE
// when present, else MMX.
KernelTier chooseKernelTier(std::uint32_t cpuFeatures, const std::uint8_t* dst, int rowPitch, int format);

// rowPitch of a tightly packed sample of a format (codes 0..7) for pictures
// `width` pixels wide: the row size, for YV12 1.5 times an even luma pitch.
// The sample then needs rowPitch * height bytes.
int tightRowPitch(int format, int width);

// Fills a sample of a format (codes 0..7) with black: Y 0 and neutral chroma,
// or RGB 0. Used when the picture covers only part of the sample.
void FillBlack(std::uint8_t* dst, std::int32_t size, int format);

// Bytes an OUTPUT_PLANAR sample needs for a picture.
std::int32_t planarImageSize(const Picture& picture);

}  // namespace tl
