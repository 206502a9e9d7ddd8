#include "filter/filter/event_connection_point.h"

#include <FilterVideoDecoder.h>

#include <vector>

#include "filter/com/snapshot_enumerator.h"
#include "filter/filter/filter_video_decoder.h"

namespace tl {
namespace {

struct Connection {
    com::ComPtr<IUnknown> sink;
    DWORD cookie;
};

// Connections handed out with a reference to their sink.
struct ConnectionCopy {
    using Item = Connection;
    using Element = CONNECTDATA;
    static bool Out(const Connection& connection, CONNECTDATA* out) {
        connection.sink.CopyTo(&out->pUnk);
        out->dwCookie = connection.cookie;
        return true;
    }
    static void Free(CONNECTDATA& data) {
        data.pUnk->Release();
        data.pUnk = nullptr;
    }
};

}  // namespace

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
    return com::Guarded([&] {
        std::vector<Connection> connections;
        {
            std::lock_guard<std::mutex> hold(mutex_);
            for (const auto& [cookie, sink] : sinks_) connections.push_back({sink, cookie});
        }
        return com::CreateSnapshotEnumerator<IEnumConnections, ConnectionCopy>(std::move(connections), out);
    });
}

void EventConnectionPoint::Clear() {
    std::map<DWORD, com::ComPtr<IUnknown>> sinks;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        sinks.swap(sinks_);
    }
}

}  // namespace tl
