#include "filter/pins/input_pin.h"

#include <ks.h>
#include <ksmedia.h>
#include <uuids.h>

#include <cstring>

#include "engine/base/hresult.h"
#include "filter/filter/filter_video_decoder.h"
#include "filter/dshow/enumerators.h"
#include "filter/pins/input_types.h"
#include "filter/pins/receive_multiple.h"

namespace tl {
namespace {

// Property sets the pin recognises. Only the time-stamp rate-change set answers
// anything; the others are known and declined.
constexpr GUID kFrameStepSet = {0xc830acbd, 0xab07, 0x492f, {0x88, 0x52, 0x45, 0xb6, 0x98, 0x7c, 0x29, 0x79}};
constexpr GUID kDvdSubpictureSet = {0xac390460, 0x43af, 0x11d0, {0xbd, 0x6a, 0x00, 0x35, 0x05, 0xc1, 0x03, 0xa9}};
constexpr GUID kUndocumentedSet = {0xae4720ae, 0xaa71, 0x42d8, {0xb8, 0x2a, 0xff, 0xfd, 0xf5, 0x8b, 0x76, 0xfd}};
constexpr DWORD kRateMaxFullDataRate = 3;  // AM_RATE_MaxFullDataRate
constexpr DWORD kLastRateProperty = 8;

bool IsRateChangeSet(REFGUID set) { return IsEqualGUID(set, AM_KSPROPSETID_TSRateChange); }
bool IsDeclinedSet(REFGUID set) {
    return IsEqualGUID(set, kFrameStepSet) || IsEqualGUID(set, kDvdSubpictureSet) ||
           IsEqualGUID(set, kUndocumentedSet);
}

}  // namespace

const com::InterfaceEntry* InputPin::InterfaceMap() {
    static const com::InterfaceEntry map[] = {
        com::Entry<InputPin, IPin>(),
        com::Entry<InputPin, IMemInputPin>(),
        com::Entry<InputPin, IKsPropertySet>(),
        {},
    };
    return map;
}

HRESULT InputPin::AcceptConnection(IPin* connector, const AM_MEDIA_TYPE& mt) {
    connection_.Set(connector, mt);
    bool h264 = false;
    VIDEOINFOHEADER2 format;
    const HRESULT hr = CheckInputConnectionType(mt, &h264, &format);
    if (FAILED(hr)) {
        connection_.Clear();
        return hr;
    }
    filter_.SetH264Input(h264);
    filter_.CurrentFormat() = format;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InputPin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* mt) {
    if (!receivePin) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(filter_.FilterLock());
    if (const HRESULT hr = CheckConnectable(receivePin); FAILED(hr)) return hr;
    auto attempt = [&](const AM_MEDIA_TYPE& type) -> HRESULT {
        HRESULT hr = CheckInputTableType(type);
        if (FAILED(hr)) return hr;
        hr = AcceptConnection(receivePin, type);
        if (FAILED(hr)) return hr;
        hr = receivePin->ReceiveConnection(this, &type);
        if (FAILED(hr)) connection_.Clear();
        return hr;
    };
    if (IsFullySpecified(mt)) return attempt(*mt);
    return ConnectWithProposedTypes(receivePin, attempt) ? S_OK : VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT STDMETHODCALLTYPE InputPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) {
    if (!connector || !mt) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(filter_.FilterLock());
    HRESULT hr = CheckConnectable();
    if (FAILED(hr)) return hr;
    PIN_DIRECTION direction;
    if (FAILED(connector->QueryDirection(&direction)) || direction != PINDIR_OUTPUT) hr = VFW_E_INVALID_DIRECTION;
    // H.264 subtypes are not in the table but are taken, to be refused when the
    // filter leaves Stopped.
    if (SUCCEEDED(hr) && FAILED(CheckInputTableType(*mt)) && !IsH264Subtype(mt->subtype))
        hr = VFW_E_NO_ACCEPTABLE_TYPES;
    if (SUCCEEDED(hr)) hr = AcceptConnection(connector, *mt);
    if (FAILED(hr)) DropAllocator();
    return hr;
}

HRESULT InputPin::CheckMediaType(const AM_MEDIA_TYPE& mt) { return CheckInputTableType(mt); }

// The input takes what the upstream filter offers and proposes nothing itself.
HRESULT InputPin::ProposedTypes(std::vector<MediaType>*) { return S_OK; }

HRESULT STDMETHODCALLTYPE InputPin::EndOfStream() {
    if (const com::ComPtr<IVideoDecoderEngine> decoder = filter_.Decoder()) decoder->EndOfStream();
    com::ComPtr<IPin> downstream;
    if (SUCCEEDED(filter_.Output().ConnectedTo(downstream.Out())) && downstream) downstream->EndOfStream();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InputPin::BeginFlush() {
    flushing_ = true;
    com::ComPtr<IPin> downstream;
    if (SUCCEEDED(filter_.Output().ConnectedTo(downstream.Out())) && downstream) downstream->BeginFlush();
    if (const com::ComPtr<IVideoDecoderEngine> decoder = filter_.Decoder()) decoder->Flush(true);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InputPin::EndFlush() {
    if (const com::ComPtr<IVideoDecoderEngine> decoder = filter_.Decoder()) decoder->Flush(false);
    com::ComPtr<IPin> downstream;
    if (SUCCEEDED(filter_.Output().ConnectedTo(downstream.Out())) && downstream) downstream->EndFlush();
    flushing_ = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    connection_.SetSegment(start, stop, rate);
    com::ComPtr<IPin> downstream;
    if (SUCCEEDED(filter_.Output().ConnectedTo(downstream.Out())) && downstream)
        downstream->NewSegment(start, stop, rate);
    if (const com::ComPtr<IVideoDecoderEngine> decoder = filter_.Decoder()) decoder->SetRate(rate);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InputPin::GetAllocator(IMemAllocator** allocator) {
    if (!allocator) return E_POINTER;
    *allocator = nullptr;
    std::lock_guard<std::recursive_mutex> hold(filter_.FilterLock());
    if (!allocator_) {
        const HRESULT hr = CreateMemoryAllocator();
        if (FAILED(hr)) return hr;
    }
    allocator_.CopyTo(allocator);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InputPin::NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) {
    if (!allocator) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(filter_.FilterLock());
    allocator_ = com::ComPtr<IMemAllocator>(allocator);
    readOnly_ = readOnly == TRUE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE InputPin::Receive(IMediaSample* sample) {
    if (!sample) return E_POINTER;
    if (flushing_) return S_FALSE;
    if (filter_.State() == State_Stopped) return VFW_E_WRONG_STATE;
    const com::ComPtr<IVideoDecoderEngine> decoder = filter_.Decoder();
    if (!decoder) return E_FAIL;
    return decoder->Receive(sample);
}

HRESULT STDMETHODCALLTYPE InputPin::ReceiveMultiple(IMediaSample** samples, long count, long* processed) {
    return ReceiveEach(*this, samples, count, processed);
}

HRESULT STDMETHODCALLTYPE InputPin::ReceiveCanBlock() { return S_FALSE; }

HRESULT STDMETHODCALLTYPE InputPin::Set(REFGUID set, DWORD id, void*, DWORD, void*, DWORD) {
    if (IsRateChangeSet(set)) return id >= 1 && id <= kLastRateProperty ? E_NOTIMPL : hr::e_not_found;
    if (IsDeclinedSet(set)) return id >= 1 && id <= kLastRateProperty ? E_NOTIMPL : hr::e_not_found;
    return hr::e_not_found;
}

HRESULT STDMETHODCALLTYPE InputPin::Get(REFGUID set, DWORD id, void*, DWORD, void* data, DWORD dataLength,
                                        DWORD* returned) {
    if (IsRateChangeSet(set)) {
        if (id == kRateMaxFullDataRate) {
            if (!data || !returned) return E_POINTER;
            if (dataLength < sizeof(LONG)) return E_UNEXPECTED;
            const LONG fourTimesNormal = 40000;
            std::memcpy(data, &fourTimesNormal, sizeof(fourTimesNormal));
            *returned = sizeof(fourTimesNormal);
            return S_OK;
        }
        return id >= 1 && id <= kLastRateProperty ? E_NOTIMPL : hr::e_not_found;
    }
    if (IsDeclinedSet(set)) return id >= 1 && id <= kLastRateProperty ? E_NOTIMPL : hr::e_not_found;
    return hr::e_not_found;
}

HRESULT STDMETHODCALLTYPE InputPin::QuerySupported(REFGUID set, DWORD, DWORD*) {
    if (IsRateChangeSet(set) || IsDeclinedSet(set)) return E_NOTIMPL;
    return hr::e_not_found;
}

}  // namespace tl
