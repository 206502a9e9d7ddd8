#include "convert/packed_yuv_kernels.h"
#include "convert/row_ops_sse.h"

namespace tl::sse {

ConvertKernel packedYuvKernel(const KernelKey& key) { return selectPackedYuv<SimdPackedYuv<SseOps>>(key); }

}  // namespace tl::sse
