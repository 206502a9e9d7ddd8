// Transform stores of the SSE tier: its inverse DCT, then the 64-bit row walkers.
#include "engine/macroblock/block_ops_mmx.h"
#include "engine/macroblock/block_store_kernels.h"

namespace tl::kernels::sse {

constexpr BlockStores stores = blockStores<VectorRows<MmxOps, &idct>>();

}  // namespace tl::kernels::sse
