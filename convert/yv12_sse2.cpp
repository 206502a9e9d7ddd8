#include "convert/yv12_kernels.h"
#include "convert/simd_ops_sse2.h"

namespace tl::sse2 {

ConvertKernel yv12Kernel(const KernelKey& key) { return selectYv12<Sse2Ops>(key); }

}  // namespace tl::sse2
