#include <algorithm>

#include "convert/overlay_blitters.h"
#include "engine/base/cpu_features.h"

namespace tl {

const OverlayRoutines& overlayRoutinesOf(KernelTier tier) {
    static constexpr OverlayRoutines kTiers[] = {
        {plain::blendOver, plain::fillOver, plain::clear, plain::toYuy2Form},
        {mmx::blendOver, mmx::fillOver, plain::clear, mmx::toYuy2Form},
        {sse::blendOver, sse::fillOver, plain::clear, sse::toYuy2Form},
        {sse2::blendOver, sse2::fillOver, sse2::clear, sse2::toYuy2Form},
        {sse3::blendOver, sse3::fillOver, sse2::clear, sse2::toYuy2Form},
    };
    return kTiers[static_cast<int>(std::min(tier, KernelTier::SSE3))];
}

const OverlayRoutines& overlayRoutines() {
    static const OverlayRoutines& chosen = overlayRoutinesOf(detectedKernelTier());
    return chosen;
}

}  // namespace tl
