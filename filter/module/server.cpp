#include "filter/module/server.h"

#include <oleauto.h>

#include <iterator>
#include <string>

#include "filter/com/com_ptr.h"
#include "filter/com/hresult_error.h"
#include "filter/com/module_lock.h"
#include "filter/com/type_library.h"
#include "filter/module/class_table.h"
#include "filter/module/registry_script.h"

namespace tl {
namespace {

// Registration runs with the system's default locale, whatever the calling thread's is.
class SystemLocaleScope {
public:
    SystemLocaleScope() : saved_(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~SystemLocaleScope() { SetThreadLocale(saved_); }
    SystemLocaleScope(const SystemLocaleScope&) = delete;
    SystemLocaleScope& operator=(const SystemLocaleScope&) = delete;

private:
    LCID saved_;
};

ScriptVariables Variables() { return {{L"MODULE", com::ThisModulePath()}, {L"FILTER_NAME", kFilterName}}; }

HRESULT RegisterTypeLibrary() {
    com::ComPtr<ITypeLib> library;
    HRESULT hr = com::LoadModuleTypeLib(library.Out());
    if (FAILED(hr)) return hr;
    std::wstring path = com::ThisModulePath();
    return RegisterTypeLib(library.Get(), path.data(), nullptr);
}

HRESULT UnregisterTypeLibrary() {
    com::ComPtr<ITypeLib> library;
    HRESULT hr = com::LoadModuleTypeLib(library.Out());
    if (FAILED(hr)) return hr;
    TLIBATTR* attr = nullptr;
    hr = library->GetLibAttr(&attr);
    if (FAILED(hr)) return hr;
    hr = UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind);
    library->ReleaseTLibAttr(attr);
    return hr;
}

}  // namespace

HRESULT GetServerClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    for (const ClassEntry& entry : ModuleClasses()) {
        if (IsEqualCLSID(clsid, *entry.clsid)) return entry.factory->QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CanUnloadServer() { return com::ModuleCanUnload() ? S_OK : S_FALSE; }

HRESULT RegisterServer() {
    SystemLocaleScope locale;
    return com::Guarded([]() -> HRESULT {
        const HMODULE module = com::ThisModule();
        const ScriptVariables variables = Variables();
        for (const ClassEntry& entry : ModuleClasses()) {
            HRESULT hr = ApplyRegistryScriptResource(module, entry.registryScript, variables, true);
            if (SUCCEEDED(hr) && entry.updateRegistry) hr = entry.updateRegistry(true);
            if (FAILED(hr)) return hr;
        }
        const HRESULT hr = RegisterTypeLibrary();
        return FAILED(hr) ? hr : S_OK;
    });
}

HRESULT UnregisterServer() {
    SystemLocaleScope locale;
    return com::Guarded([]() -> HRESULT {
        HRESULT hr = UnregisterTypeLibrary();
        const HMODULE module = com::ThisModule();
        const ScriptVariables variables = Variables();
        const ClassTable classes = ModuleClasses();
        for (auto entry = std::make_reverse_iterator(classes.end());
             entry != std::make_reverse_iterator(classes.begin()); ++entry) {
            if (entry->updateRegistry) entry->updateRegistry(false);
            const HRESULT scriptResult = ApplyRegistryScriptResource(module, entry->registryScript, variables, false);
            if (SUCCEEDED(hr)) hr = scriptResult;
        }
        return FAILED(hr) ? hr : S_OK;
    });
}

}  // namespace tl
