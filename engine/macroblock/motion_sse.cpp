// Motion-compensation kernels on 64-bit registers with the SSE byte average,
// which rounds up exactly as (a + b + 1) >> 1. Both-halves predictions are
// built from byte averages too, with a correction that makes them exact; the
// copy kernels are the MMX ones (their table entries stay empty).
#include "engine/base/simd_ops_sse.h"
#include "engine/macroblock/block_ops_mmx.h"
#include "engine/macroblock/motion_kernels.h"

namespace tl::kernels::sse {
namespace {

struct SseOps : MmxOps {
    static V avg(V a, V b) { return simd::Sse::avg(a, b); }
};

using Family = ByteFamily<SseOps>;

}  // namespace

constexpr MotionKernels motion =
    motionKernels<FamilyKernels<Family, 16>, FamilyKernels<Family, 8>, false, false>();

}  // namespace tl::kernels::sse
