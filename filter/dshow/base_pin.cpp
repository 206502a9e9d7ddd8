#include "filter/dshow/base_pin.h"

#include "filter/com/hresult_error.h"
#include "filter/dshow/enumerators.h"

namespace tl {

HRESULT BasePin::Disconnect() {
    std::lock_guard<std::recursive_mutex> hold(base_->Lock());
    if (base_->State() != State_Stopped) return VFW_E_NOT_STOPPED;
    if (!connection_.IsConnected()) return S_FALSE;
    BreakConnect();
    connection_.Clear();
    return S_OK;
}

HRESULT BasePin::CheckConnectable() const {
    if (connection_.IsConnected()) return VFW_E_ALREADY_CONNECTED;
    if (base_->State() != State_Stopped) return VFW_E_NOT_STOPPED;
    return S_OK;
}

HRESULT BasePin::CheckConnectable(IPin* peer) const {
    if (const HRESULT hr = CheckConnectable(); FAILED(hr)) return hr;
    return FacesSameWay(peer) ? VFW_E_INVALID_DIRECTION : S_OK;
}

bool BasePin::FacesSameWay(IPin* peer) const {
    PIN_DIRECTION direction;
    return SUCCEEDED(peer->QueryDirection(&direction)) && direction == Direction();
}

// Without the filter lock: the streaming thread asks while a state change may
// hold it, and the peer only changes while the filter is stopped.
HRESULT BasePin::ConnectedTo(IPin** pin) { return connection_.ConnectedTo(pin); }

HRESULT BasePin::ConnectionMediaType(AM_MEDIA_TYPE* mt) {
    std::lock_guard<std::recursive_mutex> hold(base_->Lock());
    return connection_.ConnectionMediaType(mt);
}

HRESULT BasePin::QueryAccept(const AM_MEDIA_TYPE* mt) {
    if (!mt) return E_POINTER;
    return CheckMediaType(*mt) == S_OK ? S_OK : S_FALSE;
}

HRESULT BasePin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (!types) return E_POINTER;
    *types = nullptr;
    return com::Guarded([&]() -> HRESULT {
        std::vector<MediaType> proposed;
        const HRESULT hr = ProposedTypes(&proposed);
        if (FAILED(hr)) return hr;
        return CreateMediaTypeEnumerator(std::move(proposed), types);
    });
}

}  // namespace tl
