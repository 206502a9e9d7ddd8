#include "filter/dshow/pin_identity.h"

#include <objbase.h>

#include <cwchar>

namespace tl {

HRESULT CopyPinId(const wchar_t* name, LPWSTR* id) {
    if (!id) return E_POINTER;
    const std::size_t bytes = (std::wcslen(name) + 1) * sizeof(wchar_t);
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!*id) return E_OUTOFMEMORY;
    std::wmemcpy(*id, name, bytes / sizeof(wchar_t));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PinIdentity::QueryPinInfo(PIN_INFO* info) {
    if (!info) return E_POINTER;
    info->pFilter = owner_;
    if (owner_) owner_->AddRef();
    info->dir = direction_;
    std::wcsncpy(info->achName, name_, MAX_PIN_NAME - 1);
    info->achName[MAX_PIN_NAME - 1] = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PinIdentity::QueryDirection(PIN_DIRECTION* direction) {
    if (!direction) return E_POINTER;
    *direction = direction_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PinIdentity::QueryId(LPWSTR* id) { return CopyPinId(name_, id); }

HRESULT STDMETHODCALLTYPE PinIdentity::QueryInternalConnections(IPin**, ULONG*) { return E_NOTIMPL; }

}  // namespace tl
