#include "convert/packed_yuv_kernels.h"
#include "convert/simd_ops_sse2.h"

namespace tl::sse2 {

ConvertKernel packedYuvKernel(const KernelKey& key) { return selectPackedYuv<Sse2Ops>(key); }

}  // namespace tl::sse2
