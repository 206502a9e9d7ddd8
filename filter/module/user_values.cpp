#include "filter/module/user_values.h"

#include <string>

#include "filter/com/hresult_error.h"
#include "filter/com/type_library.h"
#include "filter/module/module_version.h"
#include "filter/settings/filter_settings.h"
#include "filter/settings/registry_key.h"

namespace tl {

HRESULT WriteModuleValues() {
    return com::Guarded([]() -> HRESULT {
        const std::wstring path = com::ThisModulePath();
        std::wstring version;
        const HRESULT hr = ModuleVersionText(&version);
        if (FAILED(hr)) return hr;
        const RegistryKey key =
            RegistryKey::OpenOrCreate(HKEY_CURRENT_USER, kSettingsKeyPath, KEY_READ | KEY_WRITE);
        if (!key.IsOpen()) return HRESULT_FROM_WIN32(ERROR_CANTOPEN);
        LONG status = key.WriteString(L"modulePath", path);
        if (status == ERROR_SUCCESS) status = key.WriteString(L"moduleVersion", version);
        return HRESULT_FROM_WIN32(status);
    });
}

void DeleteUserSettings() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath);
    // The vendor's key goes too unless another of its products keeps something there.
    std::wstring vendor = kSettingsKeyPath;
    vendor.resize(vendor.rfind(L'\\'));
    RegDeleteKeyW(HKEY_CURRENT_USER, vendor.c_str());
}

}  // namespace tl
