// Texts of the property pages from the module's string tables, in German when the
// user's interface language is German and in English otherwise.
#pragma once
#include <windows.h>

#include <string>

namespace tl {

// The language whose string table the pages use.
LANGID PageLanguage();

// The string `id` in PageLanguage(), or in English when that table lacks it;
// empty when neither has it.
std::wstring LoadPageString(UINT id);

}  // namespace tl
