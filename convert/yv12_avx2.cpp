#include "convert/row_ops_avx2.h"
#include "convert/yv12_kernels.h"

namespace tl::avx2 {

ConvertKernel yv12Kernel(const KernelKey& key) { return selectYv12<SimdYv12<Avx2Ops>>(key); }

}  // namespace tl::avx2
