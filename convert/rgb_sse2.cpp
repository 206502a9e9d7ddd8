#include "convert/rgb_kernels.h"
#include "convert/simd_ops_sse2.h"

namespace tl::sse2 {

ConvertKernel rgbKernel(const KernelKey& key) { return selectRgb<Sse2Ops>(key); }

}  // namespace tl::sse2
