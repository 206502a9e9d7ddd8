// IMemInputPin::ReceiveMultiple for a pin that takes samples one at a time.
#pragma once
#include <windows.h>

#include <strmif.h>

namespace tl {

// Hands the samples to pin.Receive in order, stopping at the first that is not
// taken with S_OK and returning its answer.
inline HRESULT ReceiveEach(IMemInputPin& pin, IMediaSample** samples, long count, long* processed) {
    if (!samples || !processed) return E_POINTER;
    *processed = 0;
    for (long i = 0; i < count; ++i) {
        const HRESULT hr = pin.Receive(samples[i]);
        if (hr != S_OK) return hr;
        ++*processed;
    }
    return S_OK;
}

}  // namespace tl
