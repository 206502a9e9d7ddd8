// The IPin answers of a pin on BaseFilter that only read or end its connection.
// A pin is embedded in its filter and counts its references there; it connects
// and disconnects only while the filter is stopped, under its lock.
#pragma once
#include <windows.h>

#include <strmif.h>

#include <vector>

#include "filter/dshow/base_filter.h"
#include "filter/dshow/media_type.h"
#include "filter/dshow/pin_connection.h"
#include "filter/dshow/pin_identity.h"

namespace tl {

class BasePin : public PinIdentity {
public:
    HRESULT STDMETHODCALLTYPE Disconnect() override;
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) override;

    // The object that counts the pin's references.
    virtual IUnknown* Owner() const { return base_; }
    bool IsConnected() const { return connection_.IsConnected(); }

protected:
    BasePin(BaseFilter* filter, const wchar_t* name, PIN_DIRECTION direction)
        : PinIdentity(filter, name, direction), base_(filter) {}
    ~BasePin() = default;

    BaseFilter& Filter() const { return *base_; }

    // S_OK when the pin takes mt, else S_FALSE or an error.
    virtual HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) = 0;
    // The types EnumMediaTypes hands out, in order.
    virtual HRESULT ProposedTypes(std::vector<MediaType>* types) = 0;
    // Releases what the connection holds besides the peer and the type.
    virtual void BreakConnect() {}

    // The checks that open Connect and ReceiveConnection, under the filter
    // lock: not connected yet and the filter stopped; with `peer`, also that it
    // faces the other way.
    HRESULT CheckConnectable() const;
    HRESULT CheckConnectable(IPin* peer) const;
    // True when `peer` says it has this pin's direction, so the two cannot connect.
    bool FacesSameWay(IPin* peer) const;

    PinConnection connection_;

private:
    BaseFilter* base_;
};

}  // namespace tl
