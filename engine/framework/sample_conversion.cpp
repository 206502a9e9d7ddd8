#include "engine/framework/sample_conversion.h"

#include <algorithm>

#include "convert/dispatch.h"
#include "convert/yuy2_widen.h"
#include "engine/framework/deinterlace.h"

namespace tl {

void SampleConversion::resetMatrixCoefficients(std::int32_t matrixCoefficients) {
    matrixCoefficients_ = matrixCoefficients;
    procAmp_.setMatrixCoefficients(matrixCoefficients_);
}

void SampleConversion::followMatrixCoefficients(std::int32_t matrixCoefficients) {
    if (matrixCoefficients != matrixCoefficients_) resetMatrixCoefficients(matrixCoefficients);
}

void SampleConversion::convertInto(const Picture& picture, int mode, bool firstOfTwo, std::uint8_t* buffer,
                                   std::int32_t bufferBytes, int rowPitch, int bufferRows, const Inputs& in) {
    ConversionContext context;
    context.outputFormat = in.output.formatCode();
    context.chromaFormat = picture.chromaFormat;
    context.colorCorrection = in.colorCorrection;
    context.overlayActive = in.overlay.active();
    context.overlaySurface = in.overlay.surface();
    context.overlayRowMask = in.overlay.rowMask();
    context.cpuFeatures = in.cpuFeatures;
    context.rgbBottomUp = in.output.rgbBottomUp();
    context.bufferRows = bufferRows;
    context.bufferBytes = bufferBytes;
    // A ProcAmp Set on another thread takes effect from the next conversion.
    procAmp_.copyMatrix(matrix_);
    context.rgbMatrix = &matrix_;
    switch (mode) {
    case DEINTERLACE_WEAVE:
    case DEINTERLACE_HARDWARE_BOB:
        ConvertWeave(picture, context, buffer, rowPitch);
        break;
    case DEINTERLACE_SOFTWARE_BOB:
        ConvertSoftwareBob(picture, context, buffer, rowPitch);
        break;
    case DEINTERLACE_SOFTWARE_BOB_DOUBLE_RATE: {
        // The field that comes first in time is shown first.
        const bool top = firstOfTwo ? picture.topFieldFirst != 0 : picture.topFieldFirst == 0;
        ConvertFieldBob(picture, context, buffer, rowPitch, top);
        break;
    }
    default:
        ConvertProgressive(picture, context, buffer, rowPitch);
        break;
    }
}

// Renderers that insist on a much wider YUY2 surface than the picture get every
// row stretched to it; any other sample larger than the picture (the renderer
// refused the new size) shows the picture at its top left on black.
void SampleConversion::convert(const Picture& picture, int mode, bool firstOfTwo, OutputSample& sample,
                               const Inputs& in) {
    std::uint8_t* buffer = sample.buffer();
    const std::int32_t size = sample.size();
    const std::int32_t format = in.output.formatCode();
    const std::int32_t width = in.output.width(), height = in.output.height();
    // A type the renderer attached to this very sample may be shorter than the
    // picture; the picture's own rows then bound the pitch so nothing lands past the buffer.
    const int rows = format == OUTPUT_PLANAR ? picture.height : std::max(height, picture.height);
    const int rowPitch = size / rows;
    const bool widen = format == OUTPUT_YUY2 && needsYuy2Widening(picture.width, width);
    if (!widen && format != OUTPUT_PLANAR && (picture.width < width || picture.height < height))
        FillBlack(buffer, size, format);
    convertInto(picture, mode, firstOfTwo, buffer, size, rowPitch, rows, in);
    if (widen) WidenYuy2Rows(buffer, size, rowPitch, picture.width, picture.height, width, height);
}

}  // namespace tl
