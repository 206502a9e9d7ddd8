// Scratch bytes for the SIMD kernels, grown by code built for the baseline
// instruction set. A std::vector grown inside a kernel file would compile the
// vector's out-of-line growth code for that file's instruction set (AVX2, say),
// and the linker may keep that copy for every caller in the module, which would
// then fault on processors without it. Every member is defined out of line.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tl {

class RowScratch {
public:
    RowScratch();
    ~RowScratch();
    RowScratch(const RowScratch&) = delete;
    RowScratch& operator=(const RowScratch&) = delete;

    // At least `bytes` bytes, the same block on every call that asks no more.
    std::uint8_t* take(std::size_t bytes);

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace tl
