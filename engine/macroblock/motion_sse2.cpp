// Motion-compensation kernels on 128-bit registers: one row of a 16-wide
// block, or two rows of an 8-wide block, per register. Half-sample and
// two-source averages use the byte average (which rounds up); both-halves
// predictions use byte averages with a correction that makes them exact. The
// narrow copy stays the 64-bit one: two rows per register saves nothing there.
#include "engine/macroblock/block_ops_sse2.h"
#include "engine/macroblock/motion_kernels.h"

namespace tl::kernels::sse2 {

constexpr MotionKernels motion =
    motionKernels<FamilyKernels<ByteFamily<Sse2Ops>, 16>, FamilyKernels<ByteFamily<Sse2RowPairOps>, 8>, true,
                  false>();

}  // namespace tl::kernels::sse2
