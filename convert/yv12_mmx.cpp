#include "convert/yv12_kernels.h"
#include "convert/row_ops_mmx.h"

namespace tl::mmx {

ConvertKernel yv12Kernel(const KernelKey& key) { return selectYv12<SimdYv12<MmxOps>>(key); }

}  // namespace tl::mmx
