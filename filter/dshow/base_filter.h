// IBaseFilter as every filter of ours answers it: class ID, state, clock, graph
// membership, the pin list and the events sent to the graph. The decoder filter,
// tlvplay's filters and the tests' filters all stand on it.
//
// The filter lock guards state changes, graph membership and pin connections; it
// is recursive because the graph calls back into a filter (pin information) while
// the filter is connecting. The state itself is atomic, for streaming threads
// that read it without the lock.
#pragma once
#include <windows.h>

#include <strmif.h>
#include <vfwmsgs.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "filter/com/com_ptr.h"
#include "filter/com/interface_map.h"

namespace tl {

class BaseFilter : public IBaseFilter {
public:
    // IPersist, IMediaFilter, IBaseFilter
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD timeout, FILTER_STATE* state) override;
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override;
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override;
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override;
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** pin) override;
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* info) override;

    std::recursive_mutex& Lock() { return lock_; }
    FILTER_STATE State() const { return state_.load(); }
    // The graph the filter joined, or null; not referenced.
    IFilterGraph* Graph() const { return graph_; }
    // Sends an event to the graph's event sink, when the filter is in a graph.
    void NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2);

protected:
    explicit BaseFilter(const CLSID& clsid) : clsid_(clsid) {}
    ~BaseFilter() = default;

    virtual std::vector<IPin*> Pins() = 0;
    // Transitions, called under the filter lock once the new state is recorded, so
    // that a streaming thread sees it at once. A failing activation leaves the
    // filter paused: the graph stops it again.
    virtual HRESULT OnActivate() { return S_OK; }  // stopped -> paused or running
    virtual void OnDeactivate() {}                   // paused or running -> stopped
    virtual void OnRun() {}                          // -> running

private:
    CLSID clsid_;
    std::recursive_mutex lock_;
    std::atomic<FILTER_STATE> state_{State_Stopped};
    com::ComPtr<IReferenceClock> clock_;
    IFilterGraph* graph_ = nullptr;  // not referenced: the graph holds the filter
    std::wstring name_;
};

// The interface map of a filter that answers IBaseFilter and its bases and
// nothing else.
template <class Filter>
const com::InterfaceEntry* BaseFilterInterfaceMap() {
    static const com::InterfaceEntry map[] = {
        com::Entry<Filter, IBaseFilter>(),
        com::Entry<Filter, IMediaFilter, IBaseFilter>(),
        com::Entry<Filter, IPersist, IBaseFilter>(),
        {nullptr, nullptr},
    };
    return map;
}

}  // namespace tl
