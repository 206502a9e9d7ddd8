#include "filter/com/bstr.h"

#include <cwchar>

#include "filter/com/hresult_error.h"

namespace tl::com {
namespace {

BSTR Allocate(std::wstring_view text) {
    BSTR s = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!s) ThrowOutOfMemory();
    return s;
}

}  // namespace

Bstr::Bstr(std::wstring_view text) : s_(Allocate(text)) {}

Bstr::Bstr(const Bstr& other) : s_(other.s_ ? Allocate(other.View()) : nullptr) {}

Bstr& Bstr::operator=(const Bstr& other) {
    if (this != &other) *this = Bstr(other);
    return *this;
}

Bstr& Bstr::operator=(Bstr&& other) noexcept {
    if (this != &other) {
        SysFreeString(s_);
        s_ = std::exchange(other.s_, nullptr);
    }
    return *this;
}

Bstr Bstr::Attach(BSTR s) {
    Bstr result;
    result.s_ = s;
    return result;
}

BSTR* Bstr::Out() {
    SysFreeString(std::exchange(s_, nullptr));
    return &s_;
}

std::wstring ToString(BSTR s) {
    if (!s) return {};
    return std::wstring(s, wcsnlen(s, SysStringLen(s)));
}

HRESULT ReturnString(std::wstring_view text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_OK;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace tl::com
