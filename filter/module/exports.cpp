// The module's exported entry points.
#include <windows.h>

#include "filter/module/server.h"

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    return tl::GetServerClassObject(clsid, riid, ppv);
}

STDAPI DllCanUnloadNow() { return tl::CanUnloadServer(); }

STDAPI DllRegisterServer() { return tl::RegisterServer(); }

STDAPI DllUnregisterServer() { return tl::UnregisterServer(); }
