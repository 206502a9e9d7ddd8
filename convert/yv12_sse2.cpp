#include "convert/yv12_kernels.h"
#include "convert/row_ops_sse2.h"

namespace tl::sse2 {

ConvertKernel yv12Kernel(const KernelKey& key) { return selectYv12<SimdYv12<Sse2Ops>>(key); }

}  // namespace tl::sse2
