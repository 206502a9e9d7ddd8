#include "filter/pins/pin_common.h"

#include <objbase.h>
#include <uuids.h>

#include <string>

#include "filter/filter/filter_video_decoder.h"

namespace tl {

PinConnection::PinConnection() { Clear(); }

void PinConnection::Set(IPin* peer, const AM_MEDIA_TYPE& type) {
    type_.Assign(type);
    peer_ = com::ComPtr<IPin>(peer);
}

void PinConnection::Clear() {
    peer_.Reset();
    type_.Clear();
    type_.Get().bFixedSizeSamples = TRUE;
    type_.Get().lSampleSize = 1;
}

void PinConnection::SetSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    segmentStart = start;
    segmentStop = stop;
    segmentRate = rate;
}

HRESULT PinConnection::ConnectedTo(IPin** pin) const {
    if (!pin) return E_POINTER;
    peer_.CopyTo(pin);
    return peer_ ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT PinConnection::ConnectionMediaType(AM_MEDIA_TYPE* type) const {
    if (!type) return E_POINTER;
    const HRESULT hr = CopyMediaType(*type, type_.Get());
    if (FAILED(hr)) return hr;
    return peer_ ? S_OK : VFW_E_NOT_CONNECTED;
}

DecoderPin::DecoderPin(FilterVideoDecoder& filter, const wchar_t* name, PIN_DIRECTION direction)
    : PinIdentity(filter.AsBaseFilter(), name, direction), filter_(filter) {}

IUnknown* DecoderPin::Owner() { return filter_.ControllingUnknown(); }

HRESULT STDMETHODCALLTYPE DecoderPin::Disconnect() {
    std::lock_guard<std::recursive_mutex> hold(filter_.FilterLock());
    if (filter_.State() != State_Stopped) return VFW_E_NOT_STOPPED;
    if (!connection_.IsConnected()) return S_FALSE;
    ReleaseConnectionResources();
    connection_.Clear();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DecoderPin::ConnectedTo(IPin** pin) { return connection_.ConnectedTo(pin); }

HRESULT STDMETHODCALLTYPE DecoderPin::ConnectionMediaType(AM_MEDIA_TYPE* mt) {
    std::lock_guard<std::recursive_mutex> hold(filter_.FilterLock());
    return connection_.ConnectionMediaType(mt);
}

HRESULT STDMETHODCALLTYPE DecoderPin::QueryAccept(const AM_MEDIA_TYPE* mt) {
    if (!mt) return E_POINTER;
    return Accepts(*mt) ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE DecoderPin::EndOfStream() { return E_UNEXPECTED; }
HRESULT STDMETHODCALLTYPE DecoderPin::BeginFlush() { return E_UNEXPECTED; }
HRESULT STDMETHODCALLTYPE DecoderPin::EndFlush() { return E_UNEXPECTED; }

HRESULT DecoderPin::CheckConnectable() const {
    if (connection_.IsConnected()) return VFW_E_ALREADY_CONNECTED;
    if (filter_.State() != State_Stopped) return VFW_E_NOT_STOPPED;
    return S_OK;
}

bool DecoderPin::FacesSameWay(IPin* peer) const {
    PIN_DIRECTION direction;
    return SUCCEEDED(peer->QueryDirection(&direction)) && direction == Direction();
}

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
