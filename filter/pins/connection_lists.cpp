#include "filter/pins/connection_lists.h"

#include <cwctype>

namespace tl {
namespace {

constexpr std::size_t kEntryLength = 38;

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return true;
}

bool Listed(std::wstring_view list, std::wstring_view classId) {
    for (const std::wstring_view entry : ConnectionListEntries(list))
        if (SameIgnoringCase(entry, classId)) return true;
    return false;
}

}  // namespace

std::vector<std::wstring_view> ConnectionListEntries(std::wstring_view list) {
    std::vector<std::wstring_view> entries;
    for (std::size_t at = 0; at + kEntryLength <= list.size(); at += kEntryLength)
        entries.push_back(list.substr(at, kEntryLength));
    return entries;
}

bool IsDownstreamAllowed(std::wstring_view allowList, std::wstring_view denyList, std::wstring_view classId) {
    const bool allowed = ConnectionListEntries(allowList).empty() || Listed(allowList, classId);
    return allowed && !Listed(denyList, classId);
}

}  // namespace tl
