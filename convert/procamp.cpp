#include "convert/procamp.h"

#include <algorithm>

#include "convert/dispatch.h"

namespace tl {

ProcAmpControl::ProcAmpControl() : block_(buildRgbMatrix(1, 0, 0, 0)) {}

int ProcAmpControl::slotOf(std::int32_t property) {
    switch (property) {
    case VideoProcAmp_Brightness: return 0;
    case VideoProcAmp_Contrast: return 1;
    case VideoProcAmp_Saturation: return 2;
    default: return -1;
    }
}

bool ProcAmpControl::answers(std::int32_t property) const {
    const std::int32_t format = outputFormat_.load(std::memory_order_relaxed);
    return slotOf(property) >= 0 && format >= OUTPUT_RGB32 && format <= OUTPUT_RGB555;
}

HResult ProcAmpControl::GetRange(std::int32_t property, std::int32_t* min, std::int32_t* max,
                                 std::int32_t* steppingDelta, std::int32_t* defaultValue,
                                 std::int32_t* capsFlags) const {
    if (!answers(property)) return kProcAmpNotFound;
    if (min) *min = kProcAmpMin;
    if (max) *max = kProcAmpMax;
    if (steppingDelta) *steppingDelta = 1;
    if (defaultValue) *defaultValue = 0;
    if (capsFlags) *capsFlags = VideoProcAmp_Flags_Manual;
    return hr::ok;
}

HResult ProcAmpControl::Set(std::int32_t property, std::int32_t value, std::int32_t) {
    if (!answers(property)) return kProcAmpNotFound;
    const std::lock_guard<std::mutex> lock(mutex_);
    values_[slotOf(property)] = std::clamp(value, kProcAmpMin, kProcAmpMax);
    block_ = buildRgbMatrix(matrixCoefficients_, values_[0], values_[1], values_[2]);
    return hr::ok;
}

HResult ProcAmpControl::Get(std::int32_t property, std::int32_t* value, std::int32_t* flags) const {
    if (!answers(property)) return kProcAmpNotFound;
    if (value) {
        const std::lock_guard<std::mutex> lock(mutex_);
        *value = values_[slotOf(property)];
    }
    if (flags) *flags = VideoProcAmp_Flags_Manual;
    return hr::ok;
}

void ProcAmpControl::setMatrixCoefficients(std::int32_t matrixCoefficients) {
    const std::lock_guard<std::mutex> lock(mutex_);
    matrixCoefficients_ = matrixCoefficients;
    block_ = buildRgbMatrix(matrixCoefficients_, values_[0], values_[1], values_[2]);
}

void ProcAmpControl::copyMatrix(RgbMatrixBlock& out) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    out = block_;
}

}  // namespace tl
