#include "registered_module.h"

namespace tl::test {
namespace {

HMODULE filterModule = nullptr;

HRESULT CallExport(const char* name) {
    using EntryPoint = HRESULT(STDAPICALLTYPE*)();
    auto entry = reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(GetProcAddress(filterModule, name)));
    return entry ? entry() : E_NOTIMPL;
}

}  // namespace

std::wstring BesideTest(const wchar_t* file) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path = exe;
    return path.replace(path.find_last_of(L'\\') + 1, std::wstring::npos, file);
}

HRESULT RegisterFilterModule(DWORD apartment) {
    CoInitializeEx(nullptr, apartment);
    filterModule = LoadLibraryW(BesideTest(L"tlVideoDecoder.ax").c_str());
    return filterModule ? CallExport("DllRegisterServer") : E_FAIL;
}

void UnregisterFilterModule() {
    if (filterModule) CallExport("DllUnregisterServer");
    CoUninitialize();
}

}  // namespace tl::test
