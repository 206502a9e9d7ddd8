#include "convert/rgb_kernels.h"
#include "convert/row_ops_sse.h"

namespace tl::sse {

ConvertKernel rgbKernel(const KernelKey& key) { return selectRgb<SimdRgb<SseOps>>(key); }

}  // namespace tl::sse
