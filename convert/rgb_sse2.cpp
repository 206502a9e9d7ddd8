#include "convert/rgb_kernels.h"
#include "convert/row_ops_sse2.h"

namespace tl::sse2 {

ConvertKernel rgbKernel(const KernelKey& key) { return selectRgb<SimdRgb<Sse2Ops>>(key); }

}  // namespace tl::sse2
