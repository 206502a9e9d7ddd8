// The module's exported entry points.
#include <windows.h>

#include "filter/module/server.h"
#include "filter/property_pages/properties_launcher.h"

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    return tl::GetServerClassObject(clsid, riid, ppv);
}

STDAPI DllCanUnloadNow() { return tl::CanUnloadServer(); }

STDAPI DllRegisterServer() { return tl::RegisterServer(); }

STDAPI DllUnregisterServer() { return tl::UnregisterServer(); }

// rundll32 tlVideoDecoder.ax,FilterProperties_RunDLL
extern "C" void CALLBACK FilterProperties_RunDLL(HWND hwnd, HINSTANCE, LPSTR, int) { tl::ShowFilterProperties(hwnd); }
