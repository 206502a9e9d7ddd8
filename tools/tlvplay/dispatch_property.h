// Automation properties by name through IDispatch, so the tool drives the filter
// without its generated interface header.
#pragma once
#include <windows.h>

#include <oaidl.h>

#include <initializer_list>

namespace tl::tlvplay {

HRESULT GetProperty(IUnknown* object, const wchar_t* name, VARIANT* value);
HRESULT PutProperty(IUnknown* object, const wchar_t* name, const VARIANT& value);
// A method with its arguments in the order they are declared; result may be null.
// The object's IDispatch is used as given: an object with several dual
// interfaces answers each one's names only through that interface's IDispatch.
HRESULT CallMethod(IDispatch* object, const wchar_t* name, std::initializer_list<VARIANT> arguments,
                   VARIANT* result);

}  // namespace tl::tlvplay
