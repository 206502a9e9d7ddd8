#include "filter/property_pages/page_strings.h"

#include "filter/com/type_library.h"

namespace tl {
namespace {

constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr LANGID kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);

// String tables are stored in blocks of sixteen counted strings.
bool FindString(UINT id, LANGID language, std::wstring* out) {
    const HMODULE module = com::ThisModule();
    const HRSRC block = FindResourceExA(module, RT_STRING, MAKEINTRESOURCEA(id / 16 + 1), language);
    if (!block) return false;
    const HGLOBAL loaded = LoadResource(module, block);
    const auto* text = loaded ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
    if (!text) return false;
    for (UINT skip = id % 16; skip > 0; --skip) text += 1 + *text;
    if (*text == 0) return false;
    out->assign(text + 1, *text);
    return true;
}

LANGID PageLanguage() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_GERMAN ? kGerman : kEnglish;
}

}  // namespace

std::wstring LoadPageString(UINT id) {
    std::wstring text;
    if (!FindString(id, PageLanguage(), &text)) FindString(id, kEnglish, &text);
    return text;
}

}  // namespace tl
