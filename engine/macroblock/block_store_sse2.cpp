// Block stores on 128-bit registers: a picture row of two blocks, or two rows
// of one 8-wide block, per register; same arithmetic as the 64-bit forms.
#include "engine/macroblock/block_ops_sse2.h"
#include "engine/macroblock/block_store_kernels.h"

namespace tl::kernels::sse2 {

constexpr BlockStores stores = blockStores<VectorRows<Sse2RowPairOps, Sse2Ops>>();

}  // namespace tl::kernels::sse2
