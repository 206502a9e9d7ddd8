// Reading and writing an automation property by its DISPID, the way the pages reach
// the settings of the object they were given.
#pragma once
#include <windows.h>

#include <oaidl.h>

namespace tl {

// *value receives the property; the caller clears it.
HRESULT GetDispatchProperty(IDispatch* object, DISPID id, VARIANT* value);
HRESULT PutDispatchProperty(IDispatch* object, DISPID id, VARIANT value);

}  // namespace tl
