#include "convert/rgb_kernels.h"
#include "convert/simd_ops_mmx.h"

namespace tl::mmx {

ConvertKernel rgbKernel(const KernelKey& key) { return selectRgb<MmxOps>(key); }

}  // namespace tl::mmx
