#include "filter/property_pages/number_text.h"

#include <cwchar>
#include <iterator>

namespace tl {

std::wstring DurationText(std::int64_t units) {
    constexpr std::uint64_t kMillisecond = 10000;
    constexpr std::uint64_t kSecond = 1000 * kMillisecond;
    constexpr std::uint64_t kMinute = 60 * kSecond;
    constexpr std::uint64_t kHour = 60 * kMinute;
    constexpr std::uint64_t kDay = 24 * kHour;
    const struct {
        std::uint64_t size;
        const wchar_t* unit;
    } kParts[] = {{kDay, L" days "}, {kHour, L" hrs "}, {kMinute, L" mins "}};
    std::wstring text = units < 0 ? L"- " : L"";
    std::uint64_t left = units < 0 ? 0 - std::uint64_t(units) : std::uint64_t(units);
    for (const auto& part : kParts) {
        if (left < part.size) continue;
        text += std::to_wstring(left / part.size) + part.unit;
        left %= part.size;
    }
    wchar_t millis[16];
    std::swprintf(millis, std::size(millis), L".%03u sec", unsigned(left % kSecond / kMillisecond));
    return text + std::to_wstring(left / kSecond) + millis;
}

std::wstring GopTimeText(long hours, long minutes, long seconds, long pictures) {
    wchar_t text[64];
    std::swprintf(text, std::size(text), L"%02ld:%02ld:%02ld (%ld)", hours, minutes, seconds, pictures);
    return text;
}

std::wstring FrameRateText(double rate) {
    wchar_t text[48];
    std::swprintf(text, std::size(text), L"%.3f", rate);
    std::wstring result = text;
    result.erase(result.find_last_not_of(L'0') + 1);
    if (!result.empty() && result.back() == L'.') result.pop_back();
    return result;
}

}  // namespace tl
