#include "filter/pins/pin_common.h"

#include <objbase.h>
#include <uuids.h>

#include <string>

#include "filter/filter/filter_video_decoder.h"

namespace tl {

DecoderPin::DecoderPin(FilterVideoDecoder& filter, const wchar_t* name, PIN_DIRECTION direction)
    : BasePin(&filter, name, direction), filter_(filter) {}

IUnknown* DecoderPin::Owner() const { return filter_.ControllingUnknown(); }

HRESULT STDMETHODCALLTYPE DecoderPin::EndOfStream() { return E_UNEXPECTED; }
HRESULT STDMETHODCALLTYPE DecoderPin::BeginFlush() { return E_UNEXPECTED; }
HRESULT STDMETHODCALLTYPE DecoderPin::EndFlush() { return E_UNEXPECTED; }

HRESULT DecoderPin::CreateMemoryAllocator() {
    return CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                            allocator_.OutVoid());
}

void DecoderPin::DropAllocator() {
    if (allocator_) allocator_->Decommit();
    allocator_.Reset();
}

std::wstring OwnerClassIdText(IPin* pin) {
    PIN_INFO info{};
    if (!pin || FAILED(pin->QueryPinInfo(&info)) || !info.pFilter) return {};
    CLSID clsid{};
    const HRESULT hr = info.pFilter->GetClassID(&clsid);
    info.pFilter->Release();
    if (FAILED(hr)) return {};
    wchar_t text[39] = {};
    if (StringFromGUID2(clsid, text, 39) != 39) return {};
    return text;
}

}  // namespace tl
