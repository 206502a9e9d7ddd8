// The classes this module serves and registers.
#pragma once
#include <windows.h>

#include <cstddef>

#include "filter/com/class_factory.h"

namespace tl {

struct ClassEntry {
    const CLSID* clsid;
    com::ClassFactory* factory;
    // Resource id of the class's registry script (type REGISTRY).
    UINT registryScript;
    // The class's own step after its script, or null.
    HRESULT (*updateRegistry)(bool registering) = nullptr;
};

struct ClassTable {
    const ClassEntry* entries;
    std::size_t count;
    const ClassEntry* begin() const { return entries; }
    const ClassEntry* end() const { return entries + count; }
};

ClassTable ModuleClasses();

}  // namespace tl
