#include "convert/packed_yuv_kernels.h"
#include "convert/simd_ops_mmx.h"

namespace tl::mmx {

ConvertKernel packedYuvKernel(const KernelKey& key) { return selectPackedYuv<MmxOps>(key); }

}  // namespace tl::mmx
