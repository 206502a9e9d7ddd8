#include "convert/rgb_kernels.h"
#include "convert/row_ops_mmx.h"

namespace tl::mmx {

ConvertKernel rgbKernel(const KernelKey& key) { return selectRgb<SimdRgb<MmxOps>>(key); }

}  // namespace tl::mmx
