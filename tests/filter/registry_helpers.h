// Raw access to the current user's registry for tests that check exactly what
// the code under test stored.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tl::test {

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const RawValue& other) const { return type == other.type && data == other.data; }
};

std::vector<BYTE> DwordBytes(std::uint32_t value);
// UTF-16 bytes, with the terminating NUL when terminated is true.
std::vector<BYTE> WideBytes(std::wstring_view text, bool terminated = true);
RawValue Raw(DWORD type, std::vector<BYTE> data);
RawValue Dword(std::uint32_t value);
RawValue Sz(std::wstring_view text);

bool KeyExists(HKEY root, const std::wstring& path);
void DeleteKeyTree(HKEY root, const std::wstring& path);
std::optional<RawValue> ReadRaw(HKEY root, const std::wstring& path, const wchar_t* name);
void WriteRaw(HKEY root, const std::wstring& path, const wchar_t* name, const RawValue& value);
// Number of values directly in the key, or -1 when it does not open.
int CountValues(HKEY root, const std::wstring& path);

}  // namespace tl::test
