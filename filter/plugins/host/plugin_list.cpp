#include "filter/plugins/host/plugin_list.h"

#include <objbase.h>

#include "filter/settings/registry_key.h"

namespace tl {
namespace {

constexpr REGSAM kListAccess = KEY_READ;                 // 0x20019
constexpr REGSAM kEntryAccess = KEY_READ | KEY_WRITE;    // 0x2001F
constexpr DWORD kMaxNameChars = 511;
constexpr DWORD kClsidChars = 64;

bool ReadClsid(const RegistryKey& key, CLSID* clsid) {
    wchar_t text[kClsidChars] = {};
    DWORD type = REG_NONE;
    DWORD bytes = sizeof(text) - sizeof(wchar_t);  // keeps a terminating NUL
    if (RegQueryValueExW(key.Handle(), L"CLSID", nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) !=
        ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    if (text[0] != L'{') return false;
    return SUCCEEDED(CLSIDFromString(text, clsid));
}

}  // namespace

void ReadPluginRecords(const std::function<bool(const std::wstring& name)>& alreadyListed,
                       const std::function<void(PluginRecord&& record)>& take) {
    const RegistryKey list = RegistryKey::Open(HKEY_CURRENT_USER, kPluginsKeyPath, kListAccess);
    if (!list.IsOpen()) return;
    for (DWORD index = 0;; ++index) {
        wchar_t name[kMaxNameChars + 1];
        DWORD chars = kMaxNameChars + 1;
        if (RegEnumKeyExW(list.Handle(), index, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        PluginRecord record;
        record.name.assign(name, chars);
        if (alreadyListed && alreadyListed(record.name)) continue;
        record.path = std::wstring(kPluginsKeyPath) + L"\\" + record.name;
        const RegistryKey key = RegistryKey::Open(HKEY_CURRENT_USER, record.path.c_str(), kEntryAccess);
        if (!key.IsOpen() || !ReadClsid(key, &record.clsid)) continue;
        if (const auto enabled = key.ReadDword(L"bPluginEnabled")) record.enabled = *enabled != 0;
        if (const auto hidden = key.ReadDword(L"bPluginHidden")) record.hidden = *hidden != 0;
        if (const auto priority = key.ReadDword(L"dwPluginPriority")) record.priority = *priority;
        take(std::move(record));
    }
}

std::vector<PluginRecord> ReadPluginList() {
    std::vector<PluginRecord> list;
    ReadPluginRecords(nullptr, [&](PluginRecord&& record) {
        const auto at = PluginInsertPosition(list.begin(), list.end(), record.priority,
                                             [](const PluginRecord& r) { return r.priority; });
        list.insert(at, std::move(record));
    });
    return list;
}

}  // namespace tl
