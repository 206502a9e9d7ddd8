// The macroblock control and residual difference buffers of one picture,
// filled record by record and sent to the accelerator in batches: when the
// room reserved for the next macroblocks is missing, what was written so far
// is executed and writing starts again at the start of the same buffers.
#pragma once
#include <cstdint>

#include "engine/dxva/accelerator.h"

namespace tl::dxva {

class MacroblockBatch {
public:
    struct Buffers {
        std::uint8_t* control = nullptr;
        std::uint32_t controlCapacity = 0;
        std::uint8_t* residual = nullptr;
        std::uint32_t residualCapacity = 0;
    };

    // `recordSize` bytes per control record, `residualReserve` the most
    // residual bytes one macroblock can take.
    void begin(DxvaAccelerator* accelerator, const Buffers& buffers, std::uint32_t recordSize,
               std::uint32_t residualReserve);

    // Flushes when `n` more macroblocks might not fit. False when not even one
    // fits into the empty buffers.
    bool makeRoom(int n);

    std::uint8_t* nextRecord() const { return buffers_.control + controlUsed_; }
    std::uint8_t* nextResidual() const { return buffers_.residual + residualUsed_; }
    std::uint32_t residualUsed() const { return residualUsed_; }
    // The record at nextRecord() is complete, with `residualBytes` of data.
    void append(std::uint32_t residualBytes) {
        controlUsed_ += recordSize_;
        residualUsed_ += residualBytes;
        ++batchCount_;
    }

    // Executes the batch, if any, and empties the buffers.
    void flush();

private:
    DxvaAccelerator* accelerator_ = nullptr;
    Buffers buffers_;
    std::uint32_t recordSize_ = 0;
    std::uint32_t residualReserve_ = 0;
    std::uint32_t controlUsed_ = 0;
    std::uint32_t residualUsed_ = 0;
    std::uint32_t executedRecords_ = 0;  // in earlier batches of this picture
    std::uint32_t batchCount_ = 0;
};

}  // namespace tl::dxva
