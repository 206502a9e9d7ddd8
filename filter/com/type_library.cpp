#include "filter/com/type_library.h"

#include <oleauto.h>

#include "filter/com/com_ptr.h"
#include "filter/com/hresult_error.h"

namespace tl::com {

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

std::wstring ThisModulePath() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(ThisModule(), path, MAX_PATH);
    if (length == 0) throw HResultError(HRESULT_FROM_WIN32(GetLastError()));
    // A path that fills the buffer may have been cut short.
    if (length >= MAX_PATH) throw HResultError(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
    return std::wstring(path, length);
}

HRESULT LoadModuleTypeLib(ITypeLib** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Guarded([&] { return LoadTypeLibEx(ThisModulePath().c_str(), REGKIND_NONE, out); });
}

HRESULT LoadModuleTypeInfo(REFGUID guid, ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    ComPtr<ITypeLib> library;
    const HRESULT hr = LoadModuleTypeLib(library.Out());
    if (FAILED(hr)) return hr;
    return library->GetTypeInfoOfGuid(guid, out);
}

}  // namespace tl::com
