#include "registry_helpers.h"

#include <winternl.h>

#include <cstring>
#include <utility>

// RegSetValueExW completes a string value that lacks its NUL, so values that must
// be stored exactly as given go through the native call underneath it.
extern "C" NTSTATUS NTAPI NtSetValueKey(HANDLE key, PUNICODE_STRING name, ULONG index, ULONG type, PVOID data,
                                        ULONG bytes);

namespace tl::test {

std::vector<BYTE> DwordBytes(std::uint32_t value) {
    std::vector<BYTE> bytes(sizeof(value));
    std::memcpy(bytes.data(), &value, sizeof(value));
    return bytes;
}

std::vector<BYTE> WideBytes(std::wstring_view text, bool terminated) {
    std::vector<BYTE> bytes((text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t), 0);
    if (!text.empty()) std::memcpy(bytes.data(), text.data(), text.size() * sizeof(wchar_t));
    return bytes;
}

RawValue Raw(DWORD type, std::vector<BYTE> data) { return {type, std::move(data)}; }

RawValue Dword(std::uint32_t value) { return {REG_DWORD, DwordBytes(value)}; }
RawValue Sz(std::wstring_view text) { return {REG_SZ, WideBytes(text)}; }

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void DeleteKeyTree(HKEY root, const std::wstring& path) { RegDeleteTreeW(root, path.c_str()); }

std::optional<RawValue> ReadRaw(HKEY root, const std::wstring& path, const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    RawValue value;
    DWORD bytes = 0;
    LONG status = RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &bytes);
    if (status == ERROR_SUCCESS) {
        value.data.resize(bytes);
        status = RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &bytes);
        value.data.resize(bytes);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return value;
}

void WriteRaw(HKEY root, const std::wstring& path, const wchar_t* name, const RawValue& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return;
    }
    UNICODE_STRING valueName;
    RtlInitUnicodeString(&valueName, name);
    NtSetValueKey(key, &valueName, 0, value.type, const_cast<BYTE*>(value.data.data()), ULONG(value.data.size()));
    RegCloseKey(key);
}

int CountValues(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
    DWORD values = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(key);
    return static_cast<int>(values);
}

}  // namespace tl::test
