// The DirectX VA 1 accelerator as the decoder sees it: the calls it makes on
// IAMVideoAccelerator, one for one. The filter adapts the renderer's interface
// to it; tlvdec and the tests plug in the software accelerator.
#pragma once
#include <cstdint>

#include "engine/dxva/dxva_structures.h"
#include "engine/base/hresult.h"

namespace tl {

class OutputSample;

class DxvaAccelerator {
public:
    // Connection time: the configuration exchange reads these.
    virtual HResult getInternalCompBufferInfo(std::uint32_t* count, dxva::AMVACompBufferInfo* info) = 0;

    virtual HResult beginFrame(const dxva::AMVABeginFrameInfo& info) = 0;
    virtual HResult endFrame(const dxva::AMVAEndFrameInfo& info) = 0;
    virtual HResult getBuffer(std::uint32_t typeIndex, std::uint32_t bufferIndex, bool readOnly, void** buffer,
                              std::int32_t* stride) = 0;
    virtual HResult releaseBuffer(std::uint32_t typeIndex, std::uint32_t bufferIndex) = 0;
    virtual HResult execute(std::uint32_t function, void* privateInput, std::uint32_t inputSize,
                            void* privateOutput, std::uint32_t outputSize, std::uint32_t bufferCount,
                            const dxva::AMVABUFFERINFO* buffers) = 0;
    virtual HResult queryRenderStatus(std::uint32_t typeIndex, std::uint32_t bufferIndex, std::uint32_t flags) = 0;
    // Shows surface `flipToIndex`; the sample carries the times and flags.
    virtual HResult displayFrame(std::uint32_t flipToIndex, OutputSample* sample) = 0;

protected:
    ~DxvaAccelerator() = default;
};

}  // namespace tl
