#include "filter/dshow/base_filter.h"

#include <cwchar>

#include "filter/com/hresult_error.h"
#include "filter/dshow/enumerators.h"

namespace tl {

HRESULT STDMETHODCALLTYPE BaseFilter::GetClassID(CLSID* clsid) {
    // E_FAIL rather than E_POINTER: what callers of the decoder filter have always seen.
    if (!clsid) return E_FAIL;
    *clsid = clsid_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BaseFilter::Stop() {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (state_.exchange(State_Stopped) != State_Stopped) OnDeactivate();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BaseFilter::Pause() {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (state_.exchange(State_Paused) != State_Stopped) return S_OK;
    return OnActivate();
}

HRESULT STDMETHODCALLTYPE BaseFilter::Run(REFERENCE_TIME) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    const FILTER_STATE before = state_.exchange(State_Running);
    HRESULT hr = S_OK;
    if (before == State_Stopped) hr = OnActivate();
    if (FAILED(hr)) return hr;
    if (before != State_Running) OnRun();
    return hr;
}

HRESULT STDMETHODCALLTYPE BaseFilter::GetState(DWORD, FILTER_STATE* state) {
    if (!state) return E_POINTER;
    *state = state_.load();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BaseFilter::SetSyncSource(IReferenceClock* clock) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    clock_ = com::ComPtr<IReferenceClock>(clock);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BaseFilter::GetSyncSource(IReferenceClock** clock) {
    if (!clock) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    clock_.CopyTo(clock);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BaseFilter::EnumPins(IEnumPins** pins) {
    if (!pins) return E_POINTER;
    return com::Guarded([&] { return CreatePinEnumerator(Pins(), pins); });
}

HRESULT STDMETHODCALLTYPE BaseFilter::FindPin(LPCWSTR id, IPin** pin) {
    if (!id || !pin) return E_POINTER;
    *pin = nullptr;
    return com::Guarded([&]() -> HRESULT {
        for (IPin* candidate : Pins()) {
            LPWSTR candidateId = nullptr;
            if (FAILED(candidate->QueryId(&candidateId))) continue;
            const bool same = std::wcscmp(candidateId, id) == 0;
            CoTaskMemFree(candidateId);
            if (same) {
                candidate->AddRef();
                *pin = candidate;
                return S_OK;
            }
        }
        return VFW_E_NOT_FOUND;
    });
}

HRESULT STDMETHODCALLTYPE BaseFilter::QueryFilterInfo(FILTER_INFO* info) {
    if (!info) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    const std::size_t length = name_.size() < MAX_FILTER_NAME - 1 ? name_.size() : MAX_FILTER_NAME - 1;
    std::wmemcpy(info->achName, name_.c_str(), length);
    info->achName[length] = 0;
    info->pGraph = graph_;
    if (graph_) graph_->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BaseFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return com::Guarded([&] {
        name_ = name ? name : L"";
        graph_ = graph;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE BaseFilter::QueryVendorInfo(LPWSTR*) { return E_NOTIMPL; }

void BaseFilter::NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2) {
    IFilterGraph* graph = graph_;
    if (!graph) return;
    com::ComPtr<IMediaEventSink> sink;
    if (SUCCEEDED(graph->QueryInterface(IID_IMediaEventSink, sink.OutVoid()))) sink->Notify(code, param1, param2);
}

}  // namespace tl
