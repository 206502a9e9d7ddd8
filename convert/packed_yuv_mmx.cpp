#include "convert/packed_yuv_kernels.h"
#include "convert/row_ops_mmx.h"

namespace tl::mmx {

ConvertKernel packedYuvKernel(const KernelKey& key) { return selectPackedYuv<SimdPackedYuv<MmxOps>>(key); }

}  // namespace tl::mmx
