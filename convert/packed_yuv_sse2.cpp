#include "convert/packed_yuv_kernels.h"
#include "convert/row_ops_sse2.h"

namespace tl::sse2 {

ConvertKernel packedYuvKernel(const KernelKey& key) { return selectPackedYuv<SimdPackedYuv<Sse2Ops>>(key); }

}  // namespace tl::sse2
