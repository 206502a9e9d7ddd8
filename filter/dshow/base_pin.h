// The IPin answers of a pin on BaseFilter that only read or end its connection.
// A pin is embedded in its filter (com::Embedded) and counts its references there;
// it connects and disconnects only while the filter is stopped, under its lock.
#pragma once
#include <windows.h>

#include <strmif.h>

#include <vector>

#include "filter/com/com_ptr.h"
#include "filter/dshow/base_filter.h"
#include "filter/dshow/media_type.h"
#include "filter/dshow/pin_identity.h"

namespace tl {

class BasePin : public PinIdentity {
public:
    HRESULT STDMETHODCALLTYPE Disconnect() override;
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) override;

    IUnknown* Owner() const { return filter_; }

protected:
    BasePin(BaseFilter* filter, const wchar_t* name, PIN_DIRECTION direction)
        : PinIdentity(filter, name, direction), filter_(filter) {}
    ~BasePin() = default;

    // S_OK when the pin takes mt, else an error.
    virtual HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) = 0;
    virtual std::vector<MediaType> ProposedTypes() = 0;
    // Releases what the connection holds besides the peer and the type.
    virtual void BreakConnect() {}

    // The checks that open Connect and ReceiveConnection, under the filter lock:
    // not connected yet, the filter stopped, and `peer` facing the other way.
    HRESULT CheckConnectable(IPin* peer) const;

    BaseFilter* filter_;
    com::ComPtr<IPin> connected_;
    MediaType mt_;
};

}  // namespace tl
