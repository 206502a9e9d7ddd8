// Converting a decoded picture into an output sample: the deinterlace mode's
// conversion, black around a picture smaller than the sample, YUY2 widening,
// and the RGB matrix that ProcAmp and the stream's colour description make.
// Worker thread, except procAmp(), which the filter calls from any thread.
#pragma once
#include <cstdint>

#include "convert/procamp.h"
#include "convert/rgb_matrix.h"
#include "engine/base/picture.h"
#include "engine/framework/host_interfaces.h"
#include "engine/framework/output_connection.h"
#include "engine/framework/overlay.h"

namespace tl {

class SampleConversion {
public:
    // What a conversion reads besides the picture.
    struct Inputs {
        const OutputConnection& output;
        const Overlay& overlay;
        bool colorCorrection;
        std::uint32_t cpuFeatures;  // CPUID leaf 1 EDX layout, masked by the settings
    };

    ProcAmpControl& procAmp() { return procAmp_; }

    // The colour description back at its default; the ProcAmp values stay.
    void resetMatrixCoefficients(std::int32_t matrixCoefficients);
    // A sequence display extension with other colour coefficients rebuilds the
    // RGB matrix; pictures converted from then on use them.
    void followMatrixCoefficients(std::int32_t matrixCoefficients);

    // The sample holds the connection's rows. `firstOfTwo` picks the field a
    // double-rate bob shows first.
    void convert(const Picture& picture, int mode, bool firstOfTwo, OutputSample& sample, const Inputs& in);

private:
    void convertInto(const Picture& picture, int mode, bool firstOfTwo, std::uint8_t* buffer, std::int32_t bufferBytes,
                     int rowPitch, int bufferRows, const Inputs& in);

    ProcAmpControl procAmp_;
    std::int32_t matrixCoefficients_ = 1;  // what procAmp_ was last told
    RgbMatrixBlock matrix_{};              // the worker's copy for one conversion
};

}  // namespace tl
