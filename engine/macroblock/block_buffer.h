// The coefficient blocks of the macroblock being parsed, handed out in block
// order and all zero between macroblocks: the transform stores leave what they
// read zero, so only a macroblock that is not reconstructed needs clearing.
#pragma once
#include <cstdint>
#include <cstring>
#include <memory>

namespace tl {

class BlockBuffer {
public:
    // Room for one macroblock of `block_count` blocks; keeps the current
    // allocation when it already fits.
    void allocate(int block_count);

    // Hands out the next `n` blocks of the macroblock.
    std::int16_t* take(int n) {
        std::int16_t* p = blocks_ + 64 * used_;
        used_ += n;
        return p;
    }
    std::int16_t* blocks() const { return blocks_; }

    // After reconstruction read every block handed out.
    void release() { used_ = 0; }
    // When the blocks handed out were not all read: zeroes them.
    void clear() {
        std::memset(blocks_, 0, std::size_t(used_) * 128);
        used_ = 0;
    }

private:
    int capacity_ = 0;
    int used_ = 0;
    std::unique_ptr<std::uint8_t[]> allocation_;
    std::int16_t* blocks_ = nullptr;  // 64-byte aligned
};

}  // namespace tl
