#include "filter/filter/event_connection_point.h"

#include <FilterVideoDecoder.h>

#include "filter/filter/filter_video_decoder.h"

namespace tl {

const com::InterfaceEntry* EventConnectionPoint::InterfaceMap() {
    static const com::InterfaceEntry map[] = {com::Entry<EventConnectionPoint, IConnectionPoint>(), {}};
    return map;
}

IUnknown* EventConnectionPoint::Owner() { return filter_.ControllingUnknown(); }

HRESULT STDMETHODCALLTYPE EventConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = __uuidof(_IFilterVideoDecoderEvents);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container) return E_POINTER;
    *container = &filter_;
    filter_.ControllingUnknown()->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    com::ComPtr<IUnknown> events;
    if (FAILED(sink->QueryInterface(__uuidof(_IFilterVideoDecoderEvents), events.OutVoid()))) return CONNECT_E_CANNOTCONNECT;
    std::lock_guard<std::mutex> hold(mutex_);
    *cookie = nextCookie_++;
    sinks_.emplace(*cookie, std::move(events));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventConnectionPoint::Unadvise(DWORD cookie) {
    com::ComPtr<IUnknown> sink;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        auto found = sinks_.find(cookie);
        if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
        sink = std::move(found->second);
        sinks_.erase(found);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventConnectionPoint::EnumConnections(IEnumConnections** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return E_NOTIMPL;
}

void EventConnectionPoint::Clear() {
    std::map<DWORD, com::ComPtr<IUnknown>> sinks;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        sinks.swap(sinks_);
    }
}

}  // namespace tl
