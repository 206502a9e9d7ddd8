#include "filter/pins/pin_common.h"

#include <objbase.h>

#include <cwchar>
#include <string>

#include "filter/com/hresult_error.h"

namespace tl {

PinConnection::PinConnection() { Clear(); }

void PinConnection::Set(IPin* peer, const AM_MEDIA_TYPE& type) {
    type_.Assign(type);
    peer_ = com::ComPtr<IPin>(peer);
}

void PinConnection::Clear() {
    peer_.Reset();
    type_.Clear();
    type_.Get().bFixedSizeSamples = TRUE;
    type_.Get().lSampleSize = 1;
}

HRESULT PinConnection::ConnectedTo(IPin** pin) const {
    if (!pin) return E_POINTER;
    peer_.CopyTo(pin);
    return peer_ ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT PinConnection::ConnectionMediaType(AM_MEDIA_TYPE* type) const {
    if (!type) return E_POINTER;
    const HRESULT hr = CopyMediaType(*type, type_.Get());
    if (FAILED(hr)) return hr;
    return peer_ ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT FillPinInfo(PIN_INFO* info, IBaseFilter* filter, const wchar_t* name, PIN_DIRECTION direction) {
    if (!info) return E_POINTER;
    info->pFilter = filter;
    if (filter) filter->AddRef();
    info->dir = direction;
    std::wcsncpy(info->achName, name, MAX_PIN_NAME - 1);
    info->achName[MAX_PIN_NAME - 1] = 0;
    return S_OK;
}

HRESULT CopyPinId(const wchar_t* name, LPWSTR* id) {
    if (!id) return E_POINTER;
    const std::size_t bytes = (std::wcslen(name) + 1) * sizeof(wchar_t);
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!*id) return E_OUTOFMEMORY;
    std::wmemcpy(*id, name, bytes / sizeof(wchar_t));
    return S_OK;
}

std::wstring OwnerClassIdText(IPin* pin) {
    PIN_INFO info{};
    if (!pin || FAILED(pin->QueryPinInfo(&info)) || !info.pFilter) return {};
    CLSID clsid{};
    const HRESULT hr = info.pFilter->GetClassID(&clsid);
    info.pFilter->Release();
    if (FAILED(hr)) return {};
    wchar_t text[39] = {};
    if (StringFromGUID2(clsid, text, 39) != 39) return {};
    return text;
}

}  // namespace tl
