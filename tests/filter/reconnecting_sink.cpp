#include "reconnecting_sink.h"

#include <uuids.h>

#include "filter/pins/enumerators.h"

namespace tl::test {
namespace {
constexpr wchar_t kPinName[] = L"In";
}  // namespace

const com::InterfaceEntry* ReconnectingSinkPin::InterfaceMap() {
    static const com::InterfaceEntry map[] = {
        com::Entry<ReconnectingSinkPin, IPin>(), com::Entry<ReconnectingSinkPin, IMemInputPin>(), {}};
    return map;
}

IUnknown* ReconnectingSinkPin::Owner() { return filter_.ControllingUnknown(); }

HRESULT STDMETHODCALLTYPE ReconnectingSinkPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) {
    if (!connector || !mt) return E_POINTER;
    connection_.Set(connector, *mt);
    MediaType copy;
    copy.Assign(*mt);
    std::lock_guard<std::mutex> hold(mutex_);
    types_.push_back(copy);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ReconnectingSinkPin::Disconnect() {
    if (!connection_.IsConnected()) return S_FALSE;
    connection_.Clear();
    allocator_.Reset();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ReconnectingSinkPin::QueryPinInfo(PIN_INFO* info) {
    return FillPinInfo(info, &filter_, kPinName, PINDIR_INPUT);
}

HRESULT STDMETHODCALLTYPE ReconnectingSinkPin::QueryDirection(PIN_DIRECTION* direction) {
    *direction = PINDIR_INPUT;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ReconnectingSinkPin::QueryId(LPWSTR* id) { return CopyPinId(kPinName, id); }

HRESULT STDMETHODCALLTYPE ReconnectingSinkPin::GetAllocator(IMemAllocator** allocator) {
    // A new allocator for every connection, so a reconnection gets buffers of its size.
    return CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                            reinterpret_cast<void**>(allocator));
}

HRESULT STDMETHODCALLTYPE ReconnectingSinkPin::NotifyAllocator(IMemAllocator* allocator, BOOL) {
    allocator_ = com::ComPtr<IMemAllocator>(allocator);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ReconnectingSinkPin::Receive(IMediaSample* sample) {
    std::lock_guard<std::mutex> hold(mutex_);
    sizes_.push_back(sample->GetActualDataLength());
    return S_OK;
}

std::vector<long> ReconnectingSinkPin::SampleSizes() {
    std::lock_guard<std::mutex> hold(mutex_);
    return sizes_;
}

std::vector<MediaType> ReconnectingSinkPin::Types() {
    std::lock_guard<std::mutex> hold(mutex_);
    return types_;
}

const com::InterfaceEntry* ReconnectingSink::InterfaceMap() {
    static const com::InterfaceEntry map[] = {
        com::Entry<ReconnectingSink, IBaseFilter>(),
        com::Entry<ReconnectingSink, IMediaFilter, IBaseFilter>(),
        com::Entry<ReconnectingSink, IPersist, IBaseFilter>(),
        {},
    };
    return map;
}

HRESULT STDMETHODCALLTYPE ReconnectingSink::GetClassID(CLSID* clsid) {
    *clsid = GUID_NULL;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ReconnectingSink::GetState(DWORD, FILTER_STATE* state) {
    *state = State_Stopped;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ReconnectingSink::GetSyncSource(IReferenceClock** clock) {
    *clock = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ReconnectingSink::EnumPins(IEnumPins** pins) {
    return CreatePinEnumerator({com::ComPtr<IPin>(&pin_)}, pins);
}

HRESULT STDMETHODCALLTYPE ReconnectingSink::QueryFilterInfo(FILTER_INFO* info) {
    info->achName[0] = 0;
    info->pGraph = graph_;
    if (graph_) graph_->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ReconnectingSink::JoinFilterGraph(IFilterGraph* graph, LPCWSTR) {
    graph_ = graph;
    return S_OK;
}

com::ComPtr<ReconnectingSink> CreateReconnectingSink() {
    return com::ComPtr<ReconnectingSink>(new com::Object<ReconnectingSink>());
}

}  // namespace tl::test
