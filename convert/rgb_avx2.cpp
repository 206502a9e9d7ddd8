#include "convert/rgb_kernels.h"
#include "convert/row_ops_avx2.h"

namespace tl::avx2 {

ConvertKernel rgbKernel(const KernelKey& key) { return selectRgb<SimdRgb<Avx2Ops>>(key); }

}  // namespace tl::avx2
