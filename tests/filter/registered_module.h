// The filter module beside the test, registered for a whole suite as an
// installer would, so tests reach it through COM by its class.
#pragma once
#include <windows.h>

#include <string>

namespace tl::test {

// The path of a file in the test executable's directory.
std::wstring BesideTest(const wchar_t* file);

// Initialises COM on the calling thread, loads tlVideoDecoder.ax from beside the
// test and runs its DllRegisterServer; E_FAIL when the module is missing.
HRESULT RegisterFilterModule(DWORD apartment);
// Undoes RegisterFilterModule.
void UnregisterFilterModule();

}  // namespace tl::test
