// Stands between the decoder and the software accelerator and keeps what the
// decoder sent: each call in order, and for every macroblock batch the bytes
// of its control records and residuals with its buffer descriptions, copied
// at Execute (the decoder reuses the buffers after it).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/dxva/accelerator.h"

namespace tl::test {

struct Batch {
    std::uint32_t picture = 0;  // BeginFrame calls that succeeded before it
    dxva::DXVA_BufferDescription control{};
    dxva::DXVA_BufferDescription residual{};
    std::vector<std::uint8_t> records;
    std::vector<std::uint8_t> residualBytes;
};

class RecordingAccelerator final : public DxvaAccelerator {
public:
    explicit RecordingAccelerator(DxvaAccelerator& inner) : inner_(inner) {}

    // One letter per call: B BeginFrame, G GetBuffer, P picture parameters
    // Execute, X macroblock Execute, R ReleaseBuffer, E EndFrame, Q
    // QueryRenderStatus, D DisplayFrame; lower case when the call answered E_PENDING.
    std::string calls;
    std::vector<Batch> batches;

    HResult getInternalCompBufferInfo(std::uint32_t* count, dxva::AMVACompBufferInfo* info) override {
        return inner_.getInternalCompBufferInfo(count, info);
    }
    HResult beginFrame(const dxva::AMVABeginFrameInfo& info) override {
        const HResult r = inner_.beginFrame(info);
        calls += r == hr::e_pending ? 'b' : 'B';
        if (!failed(r)) ++pictures_;
        return r;
    }
    HResult endFrame(const dxva::AMVAEndFrameInfo& info) override {
        calls += 'E';
        return inner_.endFrame(info);
    }
    HResult getBuffer(std::uint32_t type, std::uint32_t index, bool readOnly, void** buffer,
                      std::int32_t* stride) override {
        calls += 'G';
        const HResult r = inner_.getBuffer(type, index, readOnly, buffer, stride);
        if (!failed(r) && type < 4) buffers_[type] = static_cast<const std::uint8_t*>(*buffer);
        return r;
    }
    HResult releaseBuffer(std::uint32_t type, std::uint32_t index) override {
        calls += 'R';
        return inner_.releaseBuffer(type, index);
    }
    HResult execute(std::uint32_t function, void* input, std::uint32_t inputSize, void* output,
                    std::uint32_t outputSize, std::uint32_t count, const dxva::AMVABUFFERINFO* buffers) override {
        if (function == dxva::kPictureDecodingFunction && count == 2) {
            calls += 'X';
            const auto* d = static_cast<const dxva::DXVA_BufferDescription*>(input);
            Batch b;
            b.picture = pictures_;
            b.control = d[0];
            b.residual = d[1];
            b.records.assign(buffers_[2], buffers_[2] + buffers[0].dwDataSize);
            b.residualBytes.assign(buffers_[3], buffers_[3] + buffers[1].dwDataSize);
            batches.push_back(std::move(b));
        } else if (function == dxva::kPictureDecodingFunction) {
            calls += 'P';
        }
        return inner_.execute(function, input, inputSize, output, outputSize, count, buffers);
    }
    HResult queryRenderStatus(std::uint32_t type, std::uint32_t index, std::uint32_t flags) override {
        const HResult r = inner_.queryRenderStatus(type, index, flags);
        calls += r == hr::e_pending ? 'q' : 'Q';
        return r;
    }
    HResult displayFrame(std::uint32_t index, OutputSample* sample) override {
        calls += 'D';
        return inner_.displayFrame(index, sample);
    }

private:
    DxvaAccelerator& inner_;
    const std::uint8_t* buffers_[4] = {};
    std::uint32_t pictures_ = 0;
};

}  // namespace tl::test
