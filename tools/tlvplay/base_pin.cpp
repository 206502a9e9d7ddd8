#include "tools/tlvplay/base_pin.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "tools/tlvplay/enumerators.h"

namespace tl::tlvplay {

HRESULT BasePin::Disconnect() {
    std::lock_guard<std::recursive_mutex> hold(filter_->Lock());
    if (filter_->State() != State_Stopped) return VFW_E_NOT_STOPPED;
    if (!connected_) return S_FALSE;
    BreakConnect();
    connected_.Reset();
    mt_.Clear();
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
    return CopyMediaType(mt, mt_.Get());
}

HRESULT BasePin::QueryPinInfo(PIN_INFO* info) {
    if (!info) return E_POINTER;
    info->pFilter = filter_;
    filter_->AddRef();
    info->dir = direction_;
    const std::size_t n = std::min(name_.size(), std::size(info->achName) - 1);
    name_.copy(info->achName, n);
    info->achName[n] = L'\0';
    return S_OK;
}

HRESULT BasePin::QueryDirection(PIN_DIRECTION* direction) {
    if (!direction) return E_POINTER;
    *direction = direction_;
    return S_OK;
}

HRESULT BasePin::QueryId(LPWSTR* id) {
    if (!id) return E_POINTER;
    const std::size_t bytes = (name_.size() + 1) * sizeof(wchar_t);
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!*id) return E_OUTOFMEMORY;
    std::memcpy(*id, name_.c_str(), bytes);
    return S_OK;
}

HRESULT BasePin::QueryAccept(const AM_MEDIA_TYPE* mt) {
    if (!mt) return E_POINTER;
    return CheckMediaType(*mt) == S_OK ? S_OK : S_FALSE;
}

HRESULT BasePin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (!types) return E_POINTER;
    return CreateMediaTypeEnumerator(ProposedTypes(), types);
}

HRESULT BasePin::QueryInternalConnections(IPin**, ULONG*) { return E_NOTIMPL; }

}  // namespace tl::tlvplay
