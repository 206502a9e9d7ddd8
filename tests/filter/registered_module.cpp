#include "registered_module.h"

namespace tl::test {

std::wstring BesideTest(const wchar_t* file) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path = exe;
    return path.replace(path.find_last_of(L'\\') + 1, std::wstring::npos, file);
}

HMODULE FilterModule() {
    static const HMODULE module = LoadLibraryW(BesideTest(L"tlVideoDecoder.ax").c_str());
    return module;
}

HRESULT CallFilterExport(const char* name) {
    const auto entry = ExportOf<HRESULT(STDAPICALLTYPE*)()>(FilterModule(), name);
    return entry ? entry() : E_NOTIMPL;
}

}  // namespace tl::test
