// The in-process server: class objects and self-registration.
#pragma once
#include <windows.h>

namespace tl {

inline constexpr wchar_t kFilterName[] = L"Tarvello\u00AE MPEG Video Decoder";

HRESULT GetServerClassObject(REFCLSID clsid, REFIID riid, void** ppv);
HRESULT CanUnloadServer();

// Registers every class (its registry script), the values of the current user
// and the type library; the first failure is returned.
HRESULT RegisterServer();
// Removes the same in reverse order.
HRESULT UnregisterServer();

}  // namespace tl
