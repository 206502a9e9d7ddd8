#include "tools/tlvplay/dispatch_property.h"

#include <algorithm>
#include <vector>

#include "filter/com/com_ptr.h"

namespace tl::tlvplay {
namespace {

HRESULT Lookup(IUnknown* object, const wchar_t* name, com::ComPtr<IDispatch>* dispatch, DISPID* id) {
    if (!object) return E_POINTER;
    HRESULT hr = object->QueryInterface(IID_IDispatch, dispatch->OutVoid());
    if (FAILED(hr)) return hr;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return (*dispatch)->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
}

}  // namespace

HRESULT GetProperty(IUnknown* object, const wchar_t* name, VARIANT* value) {
    com::ComPtr<IDispatch> dispatch;
    DISPID id = 0;
    HRESULT hr = Lookup(object, name, &dispatch, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VariantInit(value);
    return dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr,
                            nullptr);
}

HRESULT PutProperty(IUnknown* object, const wchar_t* name, const VARIANT& value) {
    com::ComPtr<IDispatch> dispatch;
    DISPID id = 0;
    HRESULT hr = Lookup(object, name, &dispatch, &id);
    if (FAILED(hr)) return hr;
    VARIANT argument = value;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&argument, &named, 1, 1};
    return dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                            nullptr);
}

HRESULT CallMethod(IDispatch* object, const wchar_t* name, std::initializer_list<VARIANT> arguments,
                   VARIANT* result) {
    if (!object) return E_POINTER;
    com::ComPtr<IDispatch> dispatch(object);
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0;
    const HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    // IDispatch takes the arguments last first.
    std::vector<VARIANT> reversed(arguments.begin(), arguments.end());
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params = {reversed.data(), nullptr, UINT(reversed.size()), 0};
    if (result) VariantInit(result);
    return dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result, nullptr, nullptr);
}

}  // namespace tl::tlvplay
