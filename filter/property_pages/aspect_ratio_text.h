// The forced aspect ratio as the Preferences page shows and reads it: "Auto" or
// two colon-separated whole numbers ("16:9", "221:100").
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace tl {

inline constexpr wchar_t kAutoAspectRatio[] = L"Auto";

// "Auto" when either term is 0, else "x:y".
std::wstring AspectRatioText(std::uint32_t x, std::uint32_t y);

// Decimal digits, a colon, decimal digits, both numbers nonzero and within 32
// bits; anything else (including "Auto" and "2.21:1") gives 0 and 0, which lets
// the stream decide again.
void ParseAspectRatio(std::wstring_view text, std::uint32_t* x, std::uint32_t* y);

}  // namespace tl
