// The filter class's registration beyond its registry script: the filter
// mapper's entry, the module values of the current user, and the capability
// flag under the mapper's instance key.
#pragma once
#include <windows.h>

namespace tl {

// Merit of the filter: MERIT_PREFERRED + 0x200.
inline constexpr DWORD kFilterMerit = 0x800200;

HRESULT UpdateFilterRegistration(bool registering);

}  // namespace tl
