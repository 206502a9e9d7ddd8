// The module's version text, built from the file version of its version resource.
#pragma once
#include <windows.h>

#include <string>

namespace tl {

// "v1.2.3.4, Release(Unicode), assembled on Oct 12 2006" with the four 16-bit parts of
// the file version. A version resource that cannot be read gives the HRESULT of
// the last Win32 error.
HRESULT ModuleVersionText(std::wstring* text);

}  // namespace tl
