#include "tools/tlvplay/plugin_switch.h"

#include "filter/plugins/host/plugin_list.h"

namespace tl::tlvplay {
namespace {

constexpr wchar_t kEnabled[] = L"bPluginEnabled";

std::wstring Widen(const std::string& text) {
    const int chars = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(std::size_t(chars > 0 ? chars : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), chars);
    wide.resize(wide.size() - 1);
    return wide;
}

}  // namespace

bool PluginSwitch::Enable(const std::string& name, std::string* error) {
    Saved saved;
    saved.path = std::wstring(kPluginsKeyPath) + L"\\" + Widen(name);
    HKEY key = nullptr;
    if (name.empty() || name.find('\\') != std::string::npos ||
        RegOpenKeyExW(HKEY_CURRENT_USER, saved.path.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) {
        *error = "no plug-in named '" + name + "' in the plug-in list";
        return false;
    }
    DWORD bytes = 0;
    saved.present = RegQueryValueExW(key, kEnabled, nullptr, &saved.type, nullptr, &bytes) == ERROR_SUCCESS;
    if (saved.present) {
        saved.data.resize(bytes);
        saved.present = RegQueryValueExW(key, kEnabled, nullptr, &saved.type, saved.data.data(), &bytes) ==
                        ERROR_SUCCESS;
        saved.data.resize(bytes);
    }
    const DWORD on = 1;
    const LONG status = RegSetValueExW(key, kEnabled, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof(on));
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        *error = "cannot enable the plug-in '" + name + "'";
        return false;
    }
    saved_.push_back(std::move(saved));
    return true;
}

PluginSwitch::~PluginSwitch() {
    for (auto saved = saved_.rbegin(); saved != saved_.rend(); ++saved) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, saved->path.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS) continue;
        if (saved->present)
            RegSetValueExW(key, kEnabled, 0, saved->type, saved->data.data(), DWORD(saved->data.size()));
        else
            RegDeleteValueW(key, kEnabled);
        RegCloseKey(key);
    }
}

}  // namespace tl::tlvplay
