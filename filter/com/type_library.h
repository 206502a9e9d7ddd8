// The type library that the module carries as its resource TYPELIB 1.
#pragma once
#include <windows.h>

#include <oaidl.h>

#include <string>

namespace tl::com {

// The module (DLL or executable) that contains this code.
HMODULE ThisModule();

// Full path of ThisModule(); raises HResultError with the Win32 error when the
// path does not fit MAX_PATH characters.
std::wstring ThisModulePath();

HRESULT LoadModuleTypeLib(ITypeLib** out);
HRESULT LoadModuleTypeInfo(REFGUID guid, ITypeInfo** out);

}  // namespace tl::com
