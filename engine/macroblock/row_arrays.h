// What the slice parser leaves for reconstruction: a flags word per macroblock,
// the eight vector components of each non-intra macroblock, and the coded
// blocks in block order. The flags and vectors take a run of skipped
// macroblocks and the coded one after it; the blocks, that one macroblock. A
// slice records at most one row of macroblocks, since an MPEG-2 slice never
// leaves its row.
#pragma once
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace tl {

class RowArrays {
public:
    // Sizes the arrays for `mb_width` macroblocks and one macroblock of
    // `block_count` blocks; keeps the current allocation when it already fits.
    void allocate(int mb_width, int block_count);

    // Start of a slice: empty arrays, a whole row to record.
    void startSlice() {
        sliceRecorded_ = 0;
        clear();
    }
    // After reconstruction took what was recorded.
    void clear() {
        recorded_ = 0;
        vectorSets_ = 0;
        blocksUsed_ = 0;
    }

    int recorded() const { return recorded_; }
    bool full() const { return sliceRecorded_ == mbWidth_; }
    int blocksUsed() const { return blocksUsed_; }

    // Hands out the next `n` blocks of the macroblock; they are all zero, and
    // whoever reads them leaves them so (clearBlocks when not all were read).
    std::int16_t* takeBlocks(int n) {
        std::int16_t* p = blocks_ + 64 * blocksUsed_;
        blocksUsed_ += n;
        return p;
    }

    // Records one macroblock unless the slice has recorded a whole row.
    void record(std::uint32_t flags, bool intra, const std::int32_t (&pmv)[2][2][2]) {
        if (sliceRecorded_ == mbWidth_) return;
        ++sliceRecorded_;
        flags_[recorded_++] = flags;
        if (intra) return;
        std::int32_t* v = &vectors_[8 * vectorSets_++];
        v[0] = pmv[0][0][0]; v[1] = pmv[0][0][1]; v[2] = pmv[0][1][0]; v[3] = pmv[0][1][1];
        v[4] = pmv[1][0][0]; v[5] = pmv[1][0][1]; v[6] = pmv[1][1][0]; v[7] = pmv[1][1][1];
    }

    // Zeroes the blocks handed out since the last clear().
    void clearBlocks() const { std::memset(blocks_, 0, std::size_t(blocksUsed_) * 128); }

    const std::uint32_t* flags() const { return flags_.data(); }
    const std::int32_t* vectors() const { return vectors_.data(); }
    std::int16_t* blocks() const { return blocks_; }

private:
    int mbWidth_ = 0;
    int blockCapacity_ = 0;
    int sliceRecorded_ = 0;
    int recorded_ = 0;
    int vectorSets_ = 0;
    int blocksUsed_ = 0;
    std::vector<std::uint32_t> flags_;
    std::vector<std::int32_t> vectors_;
    std::unique_ptr<std::uint8_t[]> blockAllocation_;
    std::int16_t* blocks_ = nullptr;  // 64-byte aligned
};

}  // namespace tl
