#include "engine/macroblock/block_buffer.h"

namespace tl {

void BlockBuffer::allocate(int block_count) {
    if (block_count == capacity_ && blocks_) return;
    capacity_ = block_count;
    // One spare block's worth of bytes so the start can be aligned up to 64.
    const std::size_t bytes = (static_cast<std::size_t>(block_count) + 1) * 128;
    allocation_.reset(new std::uint8_t[bytes]);
    std::memset(allocation_.get(), 0, bytes);
    const auto address = reinterpret_cast<std::uintptr_t>(allocation_.get());
    blocks_ = reinterpret_cast<std::int16_t*>((address + 63) & ~static_cast<std::uintptr_t>(63));
    used_ = 0;
}

}  // namespace tl
