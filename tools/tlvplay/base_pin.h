// The IPin methods both of the tool's pins answer the same way. A pin is embedded in
// its filter (com::Embedded) and counts its references there.
#pragma once
#include <windows.h>

#include <strmif.h>

#include <string>
#include <vector>

#include "filter/com/com_ptr.h"
#include "tools/tlvplay/base_filter.h"
#include "tools/tlvplay/media_type.h"

namespace tl::tlvplay {

class BasePin : public IPin {
public:
    HRESULT STDMETHODCALLTYPE Disconnect() override;
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override;
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* direction) override;
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) override;
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) override;
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin** pins, ULONG* count) override;

    IUnknown* Owner() const { return filter_; }
    bool IsConnected() const { return bool(connected_); }
    IPin* Connected() const { return connected_.Get(); }
    const AM_MEDIA_TYPE& ConnectionType() const { return mt_.Get(); }

protected:
    BasePin(BaseFilter* filter, const wchar_t* name, PIN_DIRECTION direction)
        : filter_(filter), name_(name), direction_(direction) {}
    ~BasePin() = default;

    // S_OK when the pin takes mt, else an error.
    virtual HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) = 0;
    virtual std::vector<MediaType> ProposedTypes() = 0;
    // Releases what the connection holds besides the peer and the type.
    virtual void BreakConnect() {}

    BaseFilter* filter_;
    std::wstring name_;
    PIN_DIRECTION direction_;
    com::ComPtr<IPin> connected_;
    MediaType mt_;
};

}  // namespace tl::tlvplay
