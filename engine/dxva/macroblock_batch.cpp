#include "engine/dxva/macroblock_batch.h"

namespace tl::dxva {

void MacroblockBatch::begin(DxvaAccelerator* accelerator, const Buffers& buffers, std::uint32_t recordSize,
                            std::uint32_t residualReserve) {
    accelerator_ = accelerator;
    buffers_ = buffers;
    recordSize_ = recordSize;
    residualReserve_ = residualReserve;
    controlUsed_ = residualUsed_ = 0;
    executedRecords_ = batchCount_ = 0;
}

bool MacroblockBatch::makeRoom(int n) {
    const std::uint64_t count = std::uint64_t(n);
    if (buffers_.controlCapacity - controlUsed_ < count * recordSize_ ||
        buffers_.residualCapacity - residualUsed_ < count * residualReserve_)
        flush();
    return buffers_.controlCapacity - controlUsed_ >= recordSize_ &&
           buffers_.residualCapacity - residualUsed_ >= residualReserve_;
}

void MacroblockBatch::flush() {
    if (batchCount_ == 0) return;
    DXVA_BufferDescription descriptions[2]{};
    const std::uint32_t types[2] = {DXVA_MACROBLOCK_CONTROL_BUFFER, DXVA_RESIDUAL_DIFFERENCE_BUFFER};
    const std::uint32_t sizes[2] = {controlUsed_, residualUsed_};
    AMVABUFFERINFO infos[2]{};
    for (int i = 0; i < 2; ++i) {
        infos[i] = AMVABUFFERINFO{types[i], 0, 0, sizes[i]};
        descriptions[i].dwTypeIndex = types[i];
        descriptions[i].dwDataSize = sizes[i];
        descriptions[i].dwFirstMBaddress = executedRecords_;
        descriptions[i].dwNumMBsInBuffer = batchCount_;
    }
    std::uint32_t status = 0;
    accelerator_->execute(kPictureDecodingFunction, descriptions, sizeof descriptions, &status, sizeof status, 2,
                          infos);
    executedRecords_ += batchCount_;
    controlUsed_ = residualUsed_ = batchCount_ = 0;
}

}  // namespace tl::dxva
