// The filter's one connection point, for _IFilterVideoDecoderEvents. The event
// interface has no members, so advised sinks are only kept until unadvised.
#pragma once
#include <windows.h>

#include <ocidl.h>

#include <map>
#include <mutex>

#include "filter/com/com_ptr.h"
#include "filter/com/interface_map.h"

namespace tl {

class FilterVideoDecoder;

class EventConnectionPoint : public IConnectionPoint {
public:
    explicit EventConnectionPoint(FilterVideoDecoder& filter) : filter_(filter) {}
    static const com::InterfaceEntry* InterfaceMap();
    IUnknown* Owner();

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

    // Drops every sink (the filter is going away).
    void Clear();

private:
    FilterVideoDecoder& filter_;
    std::mutex mutex_;
    std::map<DWORD, com::ComPtr<IUnknown>> sinks_;
    DWORD nextCookie_ = 1;
};

}  // namespace tl
