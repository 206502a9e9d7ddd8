// Texts of the property pages from the module's string tables, in German when the
// user's interface language is German and in English otherwise.
#pragma once
#include <windows.h>

#include <string>

namespace tl {

// The string `id` in the user's interface language, or in English when that table
// lacks it; empty when neither has it.
std::wstring LoadPageString(UINT id);

}  // namespace tl
