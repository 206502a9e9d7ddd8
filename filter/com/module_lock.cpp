#include "filter/com/module_lock.h"

#include <atomic>

namespace tl::com {
namespace {

std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

}  // namespace

void ModuleObjectCreated() { ++g_objects; }
void ModuleObjectDestroyed() { --g_objects; }
void ModuleLock() { ++g_locks; }
void ModuleUnlock() { --g_locks; }
bool ModuleCanUnload() { return g_objects.load() == 0 && g_locks.load() == 0; }
long ModuleUsage() { return g_objects.load() + g_locks.load(); }

}  // namespace tl::com
