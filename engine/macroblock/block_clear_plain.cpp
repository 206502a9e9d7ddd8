// Zeroing of coefficient blocks before their coefficients are decoded.
#include <cstring>

#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels::plain {

void clearBlock(std::int16_t* block) { std::memset(block, 0, 64 * sizeof(std::int16_t)); }

void clearFourBlocks(std::int16_t* blocks) { std::memset(blocks, 0, 4 * 64 * sizeof(std::int16_t)); }

}  // namespace tl::kernels::plain
