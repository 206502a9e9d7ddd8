#include "tools/tlvplay/push_source_pin.h"

#include <evcode.h>
#include <uuids.h>

#include <algorithm>
#include <cstring>

#include "filter/com/interface_map.h"
#include "filter/com/locked_getter.h"
#include "tools/tlvplay/media_type.h"

namespace tl::tlvplay {
namespace {

// Enough samples in flight for a decoder to hold a few pictures' worth of packets.
constexpr long kBufferCount = 16;

bool Matches(const GUID& offered, const GUID& own) {
    return IsEqualGUID(offered, GUID_NULL) || IsEqualGUID(offered, own);
}

}  // namespace

PushSourcePin::PushSourcePin(BaseFilter* filter, std::unique_ptr<MpegSource> source)
    : BasePin(filter, L"Video Out", PINDIR_OUTPUT),
      source_(std::move(source)),
      type_(Mpeg2VideoType(source_->Sequence(), source_->DeliversPesPackets())),
      segmentStop_(source_->Duration()) {}

PushSourcePin::~PushSourcePin() { StopStreaming(); }

const com::InterfaceEntry* PushSourcePin::InterfaceMap() {
    static const com::InterfaceEntry map[] = {
        com::Entry<PushSourcePin, IPin>(),
        com::Entry<PushSourcePin, IMediaSeeking>(),
        {nullptr, nullptr},
    };
    return map;
}

HRESULT PushSourcePin::CheckMediaType(const AM_MEDIA_TYPE& mt) {
    const AM_MEDIA_TYPE& own = type_.Get();
    return Matches(mt.majortype, own.majortype) && Matches(mt.subtype, own.subtype) &&
                   Matches(mt.formattype, own.formattype)
               ? S_OK
               : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT PushSourcePin::ProposedTypes(std::vector<MediaType>* types) {
    types->push_back(type_);
    return S_OK;
}

HRESULT PushSourcePin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* mt) {
    if (!receivePin) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(Filter().Lock());
    if (const HRESULT hr = CheckConnectable(receivePin); FAILED(hr)) return hr;
    // The pin has exactly one type; a partial type given by the caller only has to
    // agree with it.
    if (mt && CheckMediaType(*mt) != S_OK) return VFW_E_TYPE_NOT_ACCEPTED;
    return TryConnect(receivePin, type_);
}

HRESULT PushSourcePin::TryConnect(IPin* receivePin, const MediaType& type) {
    connection_.Set(receivePin, type.Get());
    HRESULT hr = receivePin->ReceiveConnection(this, &type.Get());
    if (SUCCEEDED(hr)) {
        hr = DecideAllocator();
        if (FAILED(hr)) receivePin->Disconnect();
    }
    if (FAILED(hr)) {
        BreakConnect();
        connection_.Clear();
        return hr == E_FAIL ? VFW_E_NO_ACCEPTABLE_TYPES : hr;
    }
    return S_OK;
}

HRESULT PushSourcePin::DecideAllocator() {
    HRESULT hr = connection_.Peer()->QueryInterface(IID_IMemInputPin, input_.OutVoid());
    if (FAILED(hr)) return hr;
    ALLOCATOR_PROPERTIES wanted{};
    input_->GetAllocatorRequirements(&wanted);
    wanted.cBuffers = std::max(wanted.cBuffers, kBufferCount);
    wanted.cbBuffer = std::max(wanted.cbBuffer, long(source_->MaxUnitSize()));
    wanted.cbAlign = std::max(wanted.cbAlign, 1L);

    com::ComPtr<IMemAllocator> allocator;
    if (SUCCEEDED(input_->GetAllocator(allocator.Out())) && SUCCEEDED(UseAllocator(allocator.Get(), wanted)))
        return S_OK;
    hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                          allocator.OutVoid());
    if (SUCCEEDED(hr)) hr = UseAllocator(allocator.Get(), wanted);
    return hr;
}

HRESULT PushSourcePin::UseAllocator(IMemAllocator* allocator, const ALLOCATOR_PROPERTIES& wanted) {
    ALLOCATOR_PROPERTIES request = wanted;
    ALLOCATOR_PROPERTIES actual{};
    HRESULT hr = allocator->SetProperties(&request, &actual);
    if (FAILED(hr)) return hr;
    if (actual.cbBuffer < wanted.cbBuffer) return E_FAIL;
    hr = input_->NotifyAllocator(allocator, FALSE);
    if (FAILED(hr)) return hr;
    allocator_ = com::ComPtr<IMemAllocator>(allocator);
    return S_OK;
}

void PushSourcePin::BreakConnect() {
    if (allocator_) allocator_->Decommit();
    allocator_.Reset();
    input_.Reset();
}

HRESULT PushSourcePin::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) { return E_UNEXPECTED; }
HRESULT PushSourcePin::EndOfStream() { return E_UNEXPECTED; }
HRESULT PushSourcePin::BeginFlush() { return E_UNEXPECTED; }
HRESULT PushSourcePin::EndFlush() { return E_UNEXPECTED; }
HRESULT PushSourcePin::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) { return S_OK; }

HRESULT PushSourcePin::Activate() {
    if (!connection_.IsConnected()) return S_OK;
    const HRESULT hr = allocator_->Commit();
    if (FAILED(hr)) return hr;
    // Every run starts at the current position, wherever the last one stopped.
    {
        std::lock_guard<std::mutex> hold(positionsLock_);
        source_->Seek(segmentStart_);
    }
    StartStreaming();
    return S_OK;
}

void PushSourcePin::Deactivate() {
    if (allocator_) allocator_->Decommit();  // wakes a thread waiting for a buffer
    StopStreaming();
}

void PushSourcePin::StartStreaming() {
    stopping_ = false;
    std::lock_guard<std::mutex> hold(positionsLock_);
    thread_ = std::thread(&PushSourcePin::Stream, this, segmentStart_, segmentStop_, rate_);
}

void PushSourcePin::StopStreaming() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
}

void PushSourcePin::Stream(REFERENCE_TIME segmentStart, REFERENCE_TIME segmentStop, double rate) {
    const HRESULT coInit = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    connection_.Peer()->NewSegment(segmentStart, segmentStop, rate);
    bool first = true;
    StreamUnit unit;
    while (!stopping_) {
        if (!source_->Next(&unit) || (unit.time != kNoTime && unit.time > segmentStop)) {
            connection_.Peer()->EndOfStream();
            break;
        }
        com::ComPtr<IMediaSample> sample;
        if (FAILED(allocator_->GetBuffer(sample.Out(), nullptr, nullptr, 0))) break;  // decommitted
        BYTE* data = nullptr;
        if (FAILED(sample->GetPointer(&data)) || long(unit.bytes.size()) > sample->GetSize()) {
            Filter().NotifyEvent(EC_ERRORABORT, E_UNEXPECTED, 0);
            break;
        }
        std::memcpy(data, unit.bytes.data(), unit.bytes.size());
        sample->SetActualDataLength(long(unit.bytes.size()));
        if (unit.time != kNoTime) {
            REFERENCE_TIME start = unit.time - segmentStart;
            sample->SetTime(&start, nullptr);
        }
        sample->SetSyncPoint(unit.entry ? TRUE : FALSE);
        sample->SetDiscontinuity(first ? TRUE : FALSE);
        first = false;
        const HRESULT hr = input_->Receive(sample.Get());
        if (hr != S_OK) {
            // S_FALSE: downstream stops taking samples (flushing or stopping).
            if (FAILED(hr) && !stopping_) Filter().NotifyEvent(EC_ERRORABORT, hr, 0);
            break;
        }
    }
    if (SUCCEEDED(coInit)) CoUninitialize();
}

HRESULT PushSourcePin::GetCapabilities(DWORD* capabilities) {
    if (!capabilities) return E_POINTER;
    *capabilities = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekForwards | AM_SEEKING_CanSeekBackwards |
                    AM_SEEKING_CanGetCurrentPos | AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration;
    return S_OK;
}

HRESULT PushSourcePin::CheckCapabilities(DWORD* capabilities) {
    if (!capabilities) return E_POINTER;
    DWORD own = 0;
    GetCapabilities(&own);
    const DWORD asked = *capabilities;
    *capabilities &= own;
    if (*capabilities == asked) return S_OK;
    return *capabilities ? S_FALSE : E_FAIL;
}

HRESULT PushSourcePin::IsFormatSupported(const GUID* format) {
    if (!format) return E_POINTER;
    return IsEqualGUID(*format, TIME_FORMAT_MEDIA_TIME) ? S_OK : S_FALSE;
}

HRESULT PushSourcePin::QueryPreferredFormat(GUID* format) {
    if (!format) return E_POINTER;
    *format = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

HRESULT PushSourcePin::GetTimeFormat(GUID* format) { return QueryPreferredFormat(format); }

HRESULT PushSourcePin::IsUsingTimeFormat(const GUID* format) { return IsFormatSupported(format); }

HRESULT PushSourcePin::SetTimeFormat(const GUID* format) {
    if (!format) return E_POINTER;
    return IsEqualGUID(*format, TIME_FORMAT_MEDIA_TIME) ? S_OK : E_INVALIDARG;
}

HRESULT PushSourcePin::GetDuration(LONGLONG* duration) {
    if (!duration) return E_POINTER;
    *duration = source_->Duration();
    return S_OK;
}

HRESULT PushSourcePin::GetStopPosition(LONGLONG* stop) {
    return com::ReadLocked(stop, positionsLock_, [&] { return segmentStop_; });
}

HRESULT PushSourcePin::GetCurrentPosition(LONGLONG* current) {
    return com::ReadLocked(current, positionsLock_, [&] { return segmentStart_; });
}

HRESULT PushSourcePin::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                         const GUID* sourceFormat) {
    if (!target) return E_POINTER;
    const bool targetOk = !targetFormat || IsEqualGUID(*targetFormat, TIME_FORMAT_MEDIA_TIME);
    const bool sourceOk = !sourceFormat || IsEqualGUID(*sourceFormat, TIME_FORMAT_MEDIA_TIME);
    if (!targetOk || !sourceOk) return E_INVALIDARG;
    *target = source;
    return S_OK;
}

HRESULT PushSourcePin::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) {
    const DWORD currentMode = currentFlags & AM_SEEKING_PositioningBitsMask;
    const DWORD stopMode = stopFlags & AM_SEEKING_PositioningBitsMask;
    if ((currentMode && !current) || (stopMode && !stop)) return E_POINTER;
    // The filter lock keeps state changes out while the streaming thread is replaced.
    std::lock_guard<std::recursive_mutex> state(Filter().Lock());
    REFERENCE_TIME newStart;
    REFERENCE_TIME newStop;
    {
        std::lock_guard<std::mutex> hold(positionsLock_);
        newStart = segmentStart_;
        newStop = segmentStop_;
    }
    if (currentMode == AM_SEEKING_AbsolutePositioning) newStart = *current;
    else if (currentMode == AM_SEEKING_RelativePositioning) newStart += *current;
    else if (currentMode == AM_SEEKING_IncrementalPositioning) return E_INVALIDARG;
    if (stopMode == AM_SEEKING_AbsolutePositioning) newStop = *stop;
    else if (stopMode == AM_SEEKING_RelativePositioning || stopMode == AM_SEEKING_IncrementalPositioning)
        newStop += *stop;
    newStart = std::clamp<REFERENCE_TIME>(newStart, 0, source_->Duration());

    const bool streaming = thread_.joinable();
    const bool reposition = currentMode != AM_SEEKING_NoPositioning;
    if (reposition && streaming) {
        // Downstream drops what it holds first, so a thread blocked in Receive or
        // waiting for a buffer gets out and can be stopped.
        stopping_ = true;
        connection_.Peer()->BeginFlush();
        StopStreaming();
        connection_.Peer()->EndFlush();
    }
    {
        std::lock_guard<std::mutex> hold(positionsLock_);
        if (reposition) {
            segmentStart_ = newStart;
            source_->Seek(newStart);
        }
        segmentStop_ = newStop;
    }
    if (reposition && streaming) StartStreaming();
    if (current && (currentFlags & AM_SEEKING_ReturnTime)) *current = newStart;
    if (stop && (stopFlags & AM_SEEKING_ReturnTime)) *stop = newStop;
    return S_OK;
}

HRESULT PushSourcePin::GetPositions(LONGLONG* current, LONGLONG* stop) {
    std::lock_guard<std::mutex> hold(positionsLock_);
    if (current) *current = segmentStart_;
    if (stop) *stop = segmentStop_;
    return S_OK;
}

HRESULT PushSourcePin::GetAvailable(LONGLONG* earliest, LONGLONG* latest) {
    if (earliest) *earliest = 0;
    if (latest) *latest = source_->Duration();
    return S_OK;
}

HRESULT PushSourcePin::SetRate(double rate) {
    if (rate <= 0.0) return E_INVALIDARG;
    std::lock_guard<std::mutex> hold(positionsLock_);
    rate_ = rate;
    return S_OK;
}

HRESULT PushSourcePin::GetRate(double* rate) {
    return com::ReadLocked(rate, positionsLock_, [&] { return rate_; });
}

HRESULT PushSourcePin::GetPreroll(LONGLONG* preroll) {
    if (!preroll) return E_POINTER;
    *preroll = 0;
    return S_OK;
}

}  // namespace tl::tlvplay
