#include "convert/rgb_kernels.h"
#include "convert/simd_ops_sse.h"

namespace tl::sse {

ConvertKernel rgbKernel(const KernelKey& key) { return selectRgb<SseOps>(key); }

}  // namespace tl::sse
