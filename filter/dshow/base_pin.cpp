#include "filter/dshow/base_pin.h"

#include <cstring>

#include "filter/dshow/enumerators.h"

namespace tl {

HRESULT BasePin::Disconnect() {
    std::lock_guard<std::recursive_mutex> hold(filter_->Lock());
    if (filter_->State() != State_Stopped) return VFW_E_NOT_STOPPED;
    if (!connected_) return S_FALSE;
    BreakConnect();
    connected_.Reset();
    mt_.Clear();
    return S_OK;
}

HRESULT BasePin::CheckConnectable(IPin* peer) const {
    if (connected_) return VFW_E_ALREADY_CONNECTED;
    if (filter_->State() != State_Stopped) return VFW_E_NOT_STOPPED;
    const PIN_DIRECTION wanted = Direction() == PINDIR_INPUT ? PINDIR_OUTPUT : PINDIR_INPUT;
    PIN_DIRECTION direction;
    if (FAILED(peer->QueryDirection(&direction)) || direction != wanted) return VFW_E_INVALID_DIRECTION;
    return S_OK;
}

HRESULT BasePin::ConnectedTo(IPin** pin) {
    if (!pin) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(filter_->Lock());
    connected_.CopyTo(pin);
    return connected_ ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT BasePin::ConnectionMediaType(AM_MEDIA_TYPE* mt) {
    if (!mt) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(filter_->Lock());
    if (!connected_) {
        std::memset(mt, 0, sizeof *mt);
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(*mt, mt_.Get());
}

HRESULT BasePin::QueryAccept(const AM_MEDIA_TYPE* mt) {
    if (!mt) return E_POINTER;
    return CheckMediaType(*mt) == S_OK ? S_OK : S_FALSE;
}

HRESULT BasePin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (!types) return E_POINTER;
    return CreateMediaTypeEnumerator(ProposedTypes(), types);
}

}  // namespace tl
