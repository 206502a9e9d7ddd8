#include "filter/property_pages/number_text.h"

#include <cwchar>
#include <iterator>

namespace tl {

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
