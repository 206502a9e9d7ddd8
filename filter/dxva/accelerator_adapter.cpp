#include "filter/dxva/accelerator_adapter.h"

#include "filter/decoder/sample_adapters.h"

namespace tl {

HResult AcceleratorAdapter::getInternalCompBufferInfo(std::uint32_t* count, dxva::AMVACompBufferInfo* info) {
    if (!count) return E_POINTER;
    DWORD n = *count;
    const HRESULT hr = accelerator_->GetInternalCompBufferInfo(&n, info);
    *count = n;
    return hr;
}

HResult AcceleratorAdapter::getBuffer(std::uint32_t typeIndex, std::uint32_t bufferIndex, bool readOnly,
                                      void** buffer, std::int32_t* stride) {
    LONG s = 0;
    const HRESULT hr = accelerator_->GetBuffer(typeIndex, bufferIndex, readOnly ? TRUE : FALSE, buffer, &s);
    if (stride) *stride = s;
    return hr;
}

// The decoder's samples all come from the output pin's allocator through the
// host, so each is an OutputMediaSample.
HResult AcceleratorAdapter::displayFrame(std::uint32_t flipToIndex, OutputSample* sample) {
    if (!sample) return E_POINTER;
    return accelerator_->DisplayFrame(flipToIndex, static_cast<OutputMediaSample*>(sample)->sample());
}

}  // namespace tl
