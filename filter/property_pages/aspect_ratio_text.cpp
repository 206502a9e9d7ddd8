#include "filter/property_pages/aspect_ratio_text.h"

namespace tl {
namespace {

bool ParseTerm(std::wstring_view digits, std::uint32_t* value) {
    if (digits.empty()) return false;
    std::uint64_t v = 0;
    for (const wchar_t c : digits) {
        if (c < L'0' || c > L'9') return false;
        v = v * 10 + std::uint64_t(c - L'0');
        if (v > UINT32_MAX) return false;
    }
    *value = std::uint32_t(v);
    return v != 0;
}

}  // namespace

std::wstring AspectRatioText(std::uint32_t x, std::uint32_t y) {
    if (x == 0 || y == 0) return kAutoAspectRatio;
    return std::to_wstring(x) + L':' + std::to_wstring(y);
}

void ParseAspectRatio(std::wstring_view text, std::uint32_t* x, std::uint32_t* y) {
    const std::size_t colon = text.find(L':');
    std::uint32_t tx = 0, ty = 0;
    if (colon == std::wstring_view::npos || !ParseTerm(text.substr(0, colon), &tx) ||
        !ParseTerm(text.substr(colon + 1), &ty))
        tx = ty = 0;
    *x = tx;
    *y = ty;
}

}  // namespace tl
