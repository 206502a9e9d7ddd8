#include "convert/yv12_kernels.h"
#include "convert/row_ops_sse.h"

namespace tl::sse {

ConvertKernel yv12Kernel(const KernelKey& key) { return selectYv12<SimdYv12<SseOps>>(key); }

}  // namespace tl::sse
