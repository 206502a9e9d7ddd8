#include "convert/yv12_kernels.h"
#include "convert/simd_ops_mmx.h"

namespace tl::mmx {

ConvertKernel yv12Kernel(const KernelKey& key) { return selectYv12<MmxOps>(key); }

}  // namespace tl::mmx
