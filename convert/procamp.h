// Brightness, contrast and saturation of RGB output: the IAMVideoProcAmp
// semantics, and the RgbMatrixBlock they fold into.
//
// Set runs on an application thread while the worker converts. It rebuilds
// the block under a mutex that the worker takes only to copy the 48 bytes into
// a block of its own at the start of a conversion (copyMatrix). Neither side
// waits longer than a rebuild or a copy, and a conversion reads a block nobody
// else writes, so a Set in the middle of a picture cannot tear it; it takes
// effect with the next picture.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>

#include "convert/rgb_matrix.h"
#include "engine/base/hresult.h"

namespace tl {

// VideoProcAmpProperty values.
enum VideoProcAmpProperty : std::int32_t {
    VideoProcAmp_Brightness = 0,
    VideoProcAmp_Contrast = 1,
    VideoProcAmp_Hue = 2,
    VideoProcAmp_Saturation = 3,
};
inline constexpr std::int32_t VideoProcAmp_Flags_Manual = 2;

// The property is not offered, or the output is not RGB.
inline constexpr HResult kProcAmpNotFound = hr::e_not_found;

class ProcAmpControl {
public:
    ProcAmpControl();

    // Every output pointer may be null and is then skipped.
    HResult GetRange(std::int32_t property, std::int32_t* min, std::int32_t* max, std::int32_t* steppingDelta,
                     std::int32_t* defaultValue, std::int32_t* capsFlags) const;
    // Clamps to -128..128, stores and rebuilds the block. Flags are ignored.
    HResult Set(std::int32_t property, std::int32_t value, std::int32_t flags);
    HResult Get(std::int32_t property, std::int32_t* value, std::int32_t* flags) const;

    // The output format code of the connection; the control answers only for RGB.
    void setOutputFormat(std::int32_t format) { outputFormat_.store(format, std::memory_order_relaxed); }
    // matrix_coefficients of the stream's colour description.
    void setMatrixCoefficients(std::int32_t matrixCoefficients);

    // The block as it stands, for one conversion.
    void copyMatrix(RgbMatrixBlock& out) const;

private:
    // Index into values_ for an offered property, else -1.
    static int slotOf(std::int32_t property);
    bool answers(std::int32_t property) const;

    std::atomic<std::int32_t> outputFormat_{0};
    mutable std::mutex mutex_;  // guards values_, matrixCoefficients_ and block_
    std::int32_t values_[3] = {0, 0, 0};  // brightness, contrast, saturation
    std::int32_t matrixCoefficients_ = 1;
    RgbMatrixBlock block_;
};

}  // namespace tl
