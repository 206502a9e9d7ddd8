#include "convert/packed_yuv_kernels.h"
#include "convert/simd_ops_sse.h"

namespace tl::sse {

ConvertKernel packedYuvKernel(const KernelKey& key) { return selectPackedYuv<SseOps>(key); }

}  // namespace tl::sse
