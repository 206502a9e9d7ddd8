// Automation properties by name through IDispatch, so the tool drives the filter
// without its generated interface header.
#pragma once
#include <windows.h>

#include <oaidl.h>

namespace tl::tlvplay {

HRESULT GetProperty(IUnknown* object, const wchar_t* name, VARIANT* value);
HRESULT PutProperty(IUnknown* object, const wchar_t* name, const VARIANT& value);

}  // namespace tl::tlvplay
