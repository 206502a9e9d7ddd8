#include "tools/tlvplay/base_filter.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

#include "tools/tlvplay/enumerators.h"

namespace tl::tlvplay {

HRESULT BaseFilter::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = clsid_;
    return S_OK;
}

HRESULT BaseFilter::Stop() {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (state_ != State_Stopped) OnDeactivate();
    state_ = State_Stopped;
    return S_OK;
}

HRESULT BaseFilter::Pause() {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (state_ == State_Stopped) {
        const HRESULT hr = OnActivate();
        if (FAILED(hr)) return hr;
    }
    state_ = State_Paused;
    return S_OK;
}

HRESULT BaseFilter::Run(REFERENCE_TIME) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (state_ == State_Stopped) {
        const HRESULT hr = Pause();
        if (FAILED(hr)) return hr;
    }
    if (state_ != State_Running) OnRun();
    state_ = State_Running;
    return S_OK;
}

HRESULT BaseFilter::GetState(DWORD, FILTER_STATE* state) {
    if (!state) return E_POINTER;
    *state = state_;
    return S_OK;
}

HRESULT BaseFilter::SetSyncSource(IReferenceClock* clock) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    clock_ = com::ComPtr<IReferenceClock>(clock);
    return S_OK;
}

HRESULT BaseFilter::GetSyncSource(IReferenceClock** clock) {
    if (!clock) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    clock_.CopyTo(clock);
    return S_OK;
}

HRESULT BaseFilter::EnumPins(IEnumPins** pins) {
    if (!pins) return E_POINTER;
    return CreatePinEnumerator(Pins(), pins);
}

HRESULT BaseFilter::FindPin(LPCWSTR id, IPin** pin) {
    if (!id || !pin) return E_POINTER;
    *pin = nullptr;
    for (IPin* candidate : Pins()) {
        LPWSTR candidateId = nullptr;
        if (SUCCEEDED(candidate->QueryId(&candidateId))) {
            const bool same = std::wcscmp(candidateId, id) == 0;
            CoTaskMemFree(candidateId);
            if (same) {
                candidate->AddRef();
                *pin = candidate;
                return S_OK;
            }
        }
    }
    return VFW_E_NOT_FOUND;
}

HRESULT BaseFilter::QueryFilterInfo(FILTER_INFO* info) {
    if (!info) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    const std::size_t n = std::min(name_.size(), std::size(info->achName) - 1);
    name_.copy(info->achName, n);
    info->achName[n] = L'\0';
    info->pGraph = graph_;
    if (graph_) graph_->AddRef();
    return S_OK;
}

HRESULT BaseFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    graph_ = graph;
    name_ = name ? name : L"";
    return S_OK;
}

HRESULT BaseFilter::QueryVendorInfo(LPWSTR*) { return E_NOTIMPL; }

void BaseFilter::NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2) {
    IFilterGraph* graph = graph_;
    if (!graph) return;
    com::ComPtr<IMediaEventSink> sink;
    if (SUCCEEDED(graph->QueryInterface(IID_IMediaEventSink, sink.OutVoid()))) sink->Notify(code, param1, param2);
}

}  // namespace tl::tlvplay
