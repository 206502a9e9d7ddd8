#include "filter/module/module_version.h"

#include <cwchar>
#include <vector>

#include "filter/com/hresult_error.h"
#include "filter/com/type_library.h"

namespace tl {
namespace {

HRESULT LastError() {
    const DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

}  // namespace

HRESULT ModuleVersionText(std::wstring* text) {
    if (!text) return E_POINTER;
    return com::Guarded([&]() -> HRESULT {
        const std::wstring path = com::ThisModulePath();
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
        if (size == 0) return LastError();
        std::vector<BYTE> block(size);
        if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return LastError();
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info) {
            return LastError();
        }
        wchar_t buffer[96];
        swprintf(buffer, sizeof(buffer) / sizeof(buffer[0]), L"v%u.%u.%u.%u, Release(Unicode), assembled on Oct 12 2006",
                 static_cast<unsigned>(HIWORD(info->dwFileVersionMS)),
                 static_cast<unsigned>(LOWORD(info->dwFileVersionMS)),
                 static_cast<unsigned>(HIWORD(info->dwFileVersionLS)),
                 static_cast<unsigned>(LOWORD(info->dwFileVersionLS)));
        *text = buffer;
        return S_OK;
    });
}

}  // namespace tl
