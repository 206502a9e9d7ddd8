#include "engine/macroblock/row_arrays.h"

#include <cstring>

namespace tl {

void RowArrays::allocate(int mb_width, int block_count) {
    const int blockCapacity = block_count;
    if (mb_width == mbWidth_ && blockCapacity == blockCapacity_ && blocks_) return;
    mbWidth_ = mb_width;
    blockCapacity_ = blockCapacity;
    flags_.assign(static_cast<std::size_t>(mb_width), 0);
    vectors_.assign(static_cast<std::size_t>(mb_width) * 8, 0);
    // One spare block's worth of bytes so the start can be aligned up to 64.
    const std::size_t bytes = (static_cast<std::size_t>(blockCapacity) + 1) * 128;
    blockAllocation_.reset(new std::uint8_t[bytes]);
    std::memset(blockAllocation_.get(), 0, bytes);
    const auto address = reinterpret_cast<std::uintptr_t>(blockAllocation_.get());
    blocks_ = reinterpret_cast<std::int16_t*>((address + 63) & ~static_cast<std::uintptr_t>(63));
    startSlice();
}

}  // namespace tl
