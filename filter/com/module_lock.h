// The module's count of live objects and server locks: the module may be unloaded
// only when both are zero.
#pragma once

namespace tl::com {

void ModuleObjectCreated();
void ModuleObjectDestroyed();
void ModuleLock();
void ModuleUnlock();
bool ModuleCanUnload();

// For tests and diagnostics: the sum of live objects and locks.
long ModuleUsage();

}  // namespace tl::com
