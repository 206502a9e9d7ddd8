// What registration leaves in the current user's settings key: where the module
// is and which version it is. Unregistration removes the whole key, the user's
// settings and plug-in list included, and the vendor key above it once empty.
#pragma once
#include <windows.h>

namespace tl {

// Writes "modulePath" and "moduleVersion"; returns the first failure.
HRESULT WriteModuleValues();
void DeleteUserSettings();

}  // namespace tl
