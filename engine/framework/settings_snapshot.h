// The decoder settings the worker acts on. The frame-skipping tolerance is read
// at Init; the rest before every header pass, so a change made on a property
// page applies from the next picture.
#pragma once
#include <cstdint>

#include "engine/base/reference_time.h"
#include "engine/framework/host_interfaces.h"

namespace tl {

struct SettingsSnapshot {
    bool frameSkipping = false;
    ReferenceTime tolerance = 5000000;  // 100-ns units
    int deinterlace = 0;
    bool alwaysDeinterlace = false;
    bool colorCorrection = true;
    bool errorConcealment = false;
    std::int32_t aspectX = 0;  // forced aspect, 0 = not forced
    std::int32_t aspectY = 0;

    void readTolerance(DecoderSettings& settings) {
        tolerance = ReferenceTime(settings.frameSkippingToleranceMs()) * 10000;
    }
    void refresh(DecoderSettings& settings) {
        alwaysDeinterlace = settings.alwaysDeinterlace();
        colorCorrection = settings.colorCorrection();
        deinterlace = settings.deinterlace();
        aspectX = settings.aspectRatioX();
        aspectY = settings.aspectRatioY();
        frameSkipping = settings.frameSkipping();
        errorConcealment = settings.errorConcealment();
    }
};

}  // namespace tl
