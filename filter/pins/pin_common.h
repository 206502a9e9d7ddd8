// What both pins hold about their connection, and the IPin answers that only
// read it.
#pragma once
#include <windows.h>

#include <dshow.h>

#include <string>

#include "filter/com/com_ptr.h"
#include "filter/pins/media_type.h"

namespace tl {

class PinConnection {
public:
    PinConnection();

    bool IsConnected() const { return static_cast<bool>(peer_); }
    IPin* Peer() const { return peer_.Get(); }
    const MediaType& Type() const { return type_; }
    MediaType& Type() { return type_; }

    // Keeps the peer and a copy of its type.
    void Set(IPin* peer, const AM_MEDIA_TYPE& type);
    // Back to unconnected: no peer, the zeroed type with fixed-size samples of 1 byte.
    void Clear();

    HRESULT ConnectedTo(IPin** pin) const;
    HRESULT ConnectionMediaType(AM_MEDIA_TYPE* type) const;

    REFERENCE_TIME segmentStart = 0;
    REFERENCE_TIME segmentStop = 0;
    double segmentRate = 1.0;

private:
    com::ComPtr<IPin> peer_;
    MediaType type_;
};

// QueryPinInfo and QueryId of a pin named `name` on `filter`.
HRESULT FillPinInfo(PIN_INFO* info, IBaseFilter* filter, const wchar_t* name, PIN_DIRECTION direction);
HRESULT CopyPinId(const wchar_t* name, LPWSTR* id);

// The CLSID of the filter that owns `pin` in its 38-character form, or an empty
// string when the pin or its filter does not say.
std::wstring OwnerClassIdText(IPin* pin);

}  // namespace tl
