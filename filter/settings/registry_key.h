// An open registry key, closed on destruction, with typed reads that say whether
// the stored value had the expected type.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tl {

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    ~RegistryKey() { Close(); }

    static RegistryKey Open(HKEY root, const wchar_t* path, REGSAM access);
    // Opens the key, or creates it (non-volatile, no class) when it does not open.
    static RegistryKey OpenOrCreate(HKEY root, const wchar_t* path, REGSAM access);

    bool IsOpen() const { return key_ != nullptr; }
    HKEY Handle() const { return key_; }
    void Close();

    // The value when it is stored as REG_DWORD; a 4-byte buffer is used, so
    // larger data fails.
    std::optional<std::uint32_t> ReadDword(const wchar_t* name) const;
    // The value when it is a REG_SZ or REG_EXPAND_SZ (taken literally) of at most
    // maxChars characters, with an even byte count and a terminating NUL; zero
    // bytes give the empty string.
    std::optional<std::wstring> ReadString(const wchar_t* name, std::size_t maxChars) const;

    LONG WriteDword(const wchar_t* name, std::uint32_t value) const;
    // REG_SZ with the terminating NUL counted.
    LONG WriteString(const wchar_t* name, std::wstring_view text) const;

private:
    explicit RegistryKey(HKEY key) : key_(key) {}
    HKEY key_ = nullptr;
};

}  // namespace tl
