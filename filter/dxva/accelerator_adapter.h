// The renderer's IAMVideoAccelerator as the decoder core's accelerator: every
// call passed on as it is, the output sample of DisplayFrame unwrapped to the
// media sample it came from.
#pragma once
#include "engine/dxva/accelerator.h"
#include "filter/com/com_ptr.h"
#include "filter/dxva/dxva_declarations.h"

namespace tl {

class AcceleratorAdapter final : public DxvaAccelerator {
public:
    explicit AcceleratorAdapter(dxva::IAMVideoAccelerator* accelerator) : accelerator_(accelerator) {}

    HResult getInternalCompBufferInfo(std::uint32_t* count, dxva::AMVACompBufferInfo* info) override;
    HResult beginFrame(const dxva::AMVABeginFrameInfo& info) override { return accelerator_->BeginFrame(&info); }
    HResult endFrame(const dxva::AMVAEndFrameInfo& info) override { return accelerator_->EndFrame(&info); }
    HResult getBuffer(std::uint32_t typeIndex, std::uint32_t bufferIndex, bool readOnly, void** buffer,
                      std::int32_t* stride) override;
    HResult releaseBuffer(std::uint32_t typeIndex, std::uint32_t bufferIndex) override {
        return accelerator_->ReleaseBuffer(typeIndex, bufferIndex);
    }
    HResult execute(std::uint32_t function, void* privateInput, std::uint32_t inputSize, void* privateOutput,
                    std::uint32_t outputSize, std::uint32_t bufferCount,
                    const dxva::AMVABUFFERINFO* buffers) override {
        return accelerator_->Execute(function, privateInput, inputSize, privateOutput, outputSize, bufferCount,
                                     buffers);
    }
    HResult queryRenderStatus(std::uint32_t typeIndex, std::uint32_t bufferIndex, std::uint32_t flags) override {
        return accelerator_->QueryRenderStatus(typeIndex, bufferIndex, flags);
    }
    HResult displayFrame(std::uint32_t flipToIndex, OutputSample* sample) override;

private:
    com::ComPtr<dxva::IAMVideoAccelerator> accelerator_;
};

}  // namespace tl
