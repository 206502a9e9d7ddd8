// Allow and deny lists of downstream filters: class identifiers in their 38-
// character registry form, concatenated without separators.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace tl {

// Entry i is the 38 characters from 38 * i; a shorter remainder is ignored.
std::vector<std::wstring_view> ConnectionListEntries(std::wstring_view list);

// An empty allow list allows every filter; a deny entry overrides an allow entry.
// Class identifiers compare without regard to case.
bool IsDownstreamAllowed(std::wstring_view allowList, std::wstring_view denyList, std::wstring_view classId);

}  // namespace tl
