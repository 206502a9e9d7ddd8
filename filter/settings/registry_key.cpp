#include "filter/settings/registry_key.h"

#include <cwchar>
#include <vector>

namespace tl {

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        Close();
        key_ = std::exchange(other.key_, nullptr);
    }
    return *this;
}

void RegistryKey::Close() {
    if (key_) RegCloseKey(std::exchange(key_, nullptr));
}

RegistryKey RegistryKey::Open(HKEY root, const wchar_t* path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, access, &key) != ERROR_SUCCESS) return RegistryKey();
    return RegistryKey(key);
}

RegistryKey RegistryKey::OpenOrCreate(HKEY root, const wchar_t* path, REGSAM access) {
    RegistryKey opened = Open(root, path, access);
    if (opened.IsOpen()) return opened;
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return RegistryKey();
    }
    return RegistryKey(key);
}

std::optional<std::uint32_t> RegistryKey::ReadDword(const wchar_t* name) const {
    if (!key_) return std::nullopt;
    DWORD value = 0;
    DWORD type = REG_NONE;
    DWORD bytes = sizeof(value);
    if (RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_DWORD) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::wstring> RegistryKey::ReadString(const wchar_t* name, std::size_t maxChars) const {
    if (!key_) return std::nullopt;
    std::vector<wchar_t> buffer(maxChars + 1, L'\0');
    DWORD type = REG_NONE;
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    if (bytes % sizeof(wchar_t) != 0) return std::nullopt;
    const std::size_t chars = bytes / sizeof(wchar_t);
    if (chars == 0) return std::wstring();
    if (buffer[chars - 1] != L'\0') return std::nullopt;
    return std::wstring(buffer.data(), wcsnlen(buffer.data(), chars));
}

LONG RegistryKey::WriteDword(const wchar_t* name, std::uint32_t value) const {
    if (!key_) return ERROR_INVALID_HANDLE;
    const DWORD data = value;
    return RegSetValueExW(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
}

LONG RegistryKey::WriteString(const wchar_t* name, std::wstring_view text) const {
    if (!key_) return ERROR_INVALID_HANDLE;
    const std::wstring terminated(text);
    return RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(terminated.c_str()),
                          static_cast<DWORD>((terminated.size() + 1) * sizeof(wchar_t)));
}

}  // namespace tl
