// Owned BSTR strings. Allocation failures are raised as HResultError(E_OUTOFMEMORY).
#pragma once
#include <windows.h>

#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

namespace tl::com {

class Bstr {
public:
    Bstr() = default;
    // Always allocates, so an empty view gives an empty (non-null) BSTR.
    explicit Bstr(std::wstring_view text);
    Bstr(const Bstr& other);
    Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    ~Bstr() { SysFreeString(s_); }
    Bstr& operator=(const Bstr& other);
    Bstr& operator=(Bstr&& other) noexcept;

    static Bstr Attach(BSTR s);
    BSTR Detach() { return std::exchange(s_, nullptr); }
    // Frees what is held and gives the address to receive a new string.
    BSTR* Out();

    BSTR Get() const { return s_; }
    // The characters up to the length prefix; a null BSTR is empty.
    std::wstring_view View() const { return {s_ ? s_ : L"", SysStringLen(s_)}; }
    bool IsNull() const { return s_ == nullptr; }

private:
    BSTR s_ = nullptr;
};

// The characters of a BSTR up to its first NUL, the way a string property is stored.
std::wstring ToString(BSTR s);

// The getter convention for string properties: E_POINTER for a null out-pointer,
// a null BSTR for an empty text, E_OUTOFMEMORY when the copy cannot be allocated.
HRESULT ReturnString(std::wstring_view text, BSTR* out);

}  // namespace tl::com
