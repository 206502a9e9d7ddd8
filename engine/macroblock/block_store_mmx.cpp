// Transform stores on 64-bit registers: one register per 8-sample row piece.
#include "engine/macroblock/block_ops_mmx.h"
#include "engine/macroblock/block_store_kernels.h"

namespace tl::kernels::mmx {

constexpr BlockStores stores = blockStores<VectorRows<MmxOps, &idct>>();

}  // namespace tl::kernels::mmx
