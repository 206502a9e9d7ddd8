#include "test_source_filter.h"

#include <uuids.h>

#include <algorithm>
#include <cstring>

#include "filter/pins/enumerators.h"

namespace tl::test {
namespace {
constexpr wchar_t kPinName[] = L"Out";
constexpr long kBufferSize = 64 * 1024;
}  // namespace

const com::InterfaceEntry* TestSourcePin::InterfaceMap() {
    static const com::InterfaceEntry map[] = {com::Entry<TestSourcePin, IPin>(), {}};
    return map;
}

IUnknown* TestSourcePin::Owner() { return filter_.ControllingUnknown(); }

HRESULT STDMETHODCALLTYPE TestSourcePin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* mt) {
    if (!receivePin) return E_POINTER;
    const AM_MEDIA_TYPE& type = mt ? *mt : offered;
    HRESULT hr = receivePin->ReceiveConnection(this, &type);
    if (FAILED(hr)) return hr;
    connection_.Set(receivePin, type);
    hr = receivePin->QueryInterface(IID_IMemInputPin, input_.OutVoid());
    if (SUCCEEDED(hr)) hr = input_->GetAllocator(allocator_.Out());
    ALLOCATOR_PROPERTIES wanted{4, kBufferSize, 1, 0}, granted{};
    if (SUCCEEDED(hr)) hr = allocator_->SetProperties(&wanted, &granted);
    if (SUCCEEDED(hr)) hr = input_->NotifyAllocator(allocator_.Get(), FALSE);
    if (FAILED(hr)) {
        receivePin->Disconnect();
        Disconnect();
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE TestSourcePin::Disconnect() {
    if (!connection_.IsConnected()) return S_FALSE;
    allocator_.Reset();
    input_.Reset();
    connection_.Clear();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSourcePin::QueryPinInfo(PIN_INFO* info) {
    return FillPinInfo(info, &filter_, kPinName, PINDIR_OUTPUT);
}

HRESULT STDMETHODCALLTYPE TestSourcePin::QueryDirection(PIN_DIRECTION* direction) {
    *direction = PINDIR_OUTPUT;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSourcePin::QueryId(LPWSTR* id) { return CopyPinId(kPinName, id); }

HRESULT STDMETHODCALLTYPE TestSourcePin::EnumMediaTypes(IEnumMediaTypes** types) {
    MediaType type;
    type.Assign(offered);
    std::vector<MediaType> list;
    list.push_back(type);
    return CreateMediaTypeEnumerator(std::move(list), types);
}

// As a demultiplexer announces the stream: a VIDEOINFOHEADER2 with the size.
void TestSourcePin::SetPictureSize(int width, int height) {
    format = {};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = height;
    format.rcSource = {0, 0, width, height};
    offered.formattype = FORMAT_VideoInfo2;
    offered.cbFormat = sizeof(format);
    offered.pbFormat = reinterpret_cast<BYTE*>(&format);
}

HRESULT TestSourcePin::PushOne(const std::uint8_t* bytes, std::size_t size) {
    if (!allocator_) return VFW_E_NOT_CONNECTED;
    allocator_->Commit();
    com::ComPtr<IMediaSample> sample;
    HRESULT hr = allocator_->GetBuffer(sample.Out(), nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    const std::size_t n = std::min<std::size_t>(size, std::size_t(sample->GetSize()));
    std::memcpy(data, bytes, n);
    sample->SetActualDataLength(long(n));
    return input_->Receive(sample.Get());
}

HRESULT TestSourcePin::Push(const std::vector<std::uint8_t>& bytes, std::size_t chunk) {
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
        const HRESULT hr = PushOne(bytes.data() + at, std::min(chunk, bytes.size() - at));
        if (hr != S_OK) return hr;
    }
    return connection_.Peer()->EndOfStream();
}

TestSourceFilter::TestSourceFilter() : pin_(*this) {
    pin_.offered.majortype = MEDIATYPE_Video;
    pin_.offered.subtype = MEDIASUBTYPE_MPEG2_VIDEO;
    pin_.offered.bFixedSizeSamples = FALSE;
    pin_.offered.lSampleSize = 1;
}

const com::InterfaceEntry* TestSourceFilter::InterfaceMap() {
    static const com::InterfaceEntry map[] = {
        com::Entry<TestSourceFilter, IBaseFilter>(),
        com::Entry<TestSourceFilter, IMediaFilter, IBaseFilter>(),
        com::Entry<TestSourceFilter, IPersist, IBaseFilter>(),
        {},
    };
    return map;
}

HRESULT STDMETHODCALLTYPE TestSourceFilter::GetClassID(CLSID* clsid) {
    *clsid = GUID_NULL;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE TestSourceFilter::Stop() {
    state_ = State_Stopped;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE TestSourceFilter::Pause() {
    state_ = State_Paused;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE TestSourceFilter::Run(REFERENCE_TIME) {
    state_ = State_Running;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE TestSourceFilter::GetState(DWORD, FILTER_STATE* state) {
    *state = state_;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE TestSourceFilter::GetSyncSource(IReferenceClock** clock) {
    *clock = nullptr;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE TestSourceFilter::EnumPins(IEnumPins** pins) {
    return CreatePinEnumerator({com::ComPtr<IPin>(&pin_)}, pins);
}
HRESULT STDMETHODCALLTYPE TestSourceFilter::FindPin(LPCWSTR id, IPin** pin) {
    if (std::wcscmp(id, kPinName) != 0) return VFW_E_NOT_FOUND;
    *pin = &pin_;
    pin_.AddRef();
    return S_OK;
}
HRESULT STDMETHODCALLTYPE TestSourceFilter::QueryFilterInfo(FILTER_INFO* info) {
    info->achName[0] = 0;
    info->pGraph = graph_;
    if (graph_) graph_->AddRef();
    return S_OK;
}
HRESULT STDMETHODCALLTYPE TestSourceFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR) {
    graph_ = graph;
    return S_OK;
}

com::ComPtr<TestSourceFilter> CreateTestSource() {
    auto* filter = new com::Object<TestSourceFilter>();
    return com::ComPtr<TestSourceFilter>(filter);
}

}  // namespace tl::test
