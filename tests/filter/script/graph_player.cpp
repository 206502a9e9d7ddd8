// TlTest.GraphPlayer: a small automation object that lets a script play a file
// through a decoder filter the script created and configured itself, read the
// decoder's statistics while the graph still runs, and stop it.
//   player.Play(filter, path [, format]) -> frames delivered to the renderer, or -1
//   player.Stop()
#include <windows.h>

#include <oaidl.h>

#include <cwchar>
#include <string>

#include "filter/com/class_factory.h"
#include "filter/com/com_ptr.h"
#include "filter/com/module_lock.h"
#include "tools/tlvplay/options.h"
#include "tools/tlvplay/player.h"

namespace {

using tl::com::ComPtr;

// {6A3C1E20-5D4B-4F0E-9C61-2B7E4D8A9F10}
constexpr CLSID kClsidGraphPlayer = {0x6a3c1e20, 0x5d4b, 0x4f0e, {0x9c, 0x61, 0x2b, 0x7e, 0x4d, 0x8a, 0x9f, 0x10}};
constexpr wchar_t kProgId[] = L"TlTest.GraphPlayer";
constexpr wchar_t kClsidText[] = L"{6A3C1E20-5D4B-4F0E-9C61-2B7E4D8A9F10}";

enum : DISPID { kDispPlay = 1, kDispStop = 2 };

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

std::string Narrow(const wchar_t* text) {
    std::string out;
    const int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return out;
    out.resize(std::size_t(length - 1));
    WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), length, nullptr, nullptr);
    return out;
}

// Fails the call with a message the script sees as the error's description.
HRESULT Raise(EXCEPINFO* exception, const std::string& message) {
    if (exception) {
        *exception = EXCEPINFO{};
        exception->scode = E_FAIL;
        std::wstring wide(message.begin(), message.end());
        exception->bstrSource = SysAllocString(kProgId);
        exception->bstrDescription = SysAllocString(wide.c_str());
    }
    return DISP_E_EXCEPTION;
}

class GraphPlayer : public IDispatch {
public:
    static const tl::com::InterfaceEntry* InterfaceMap() {
        static const tl::com::InterfaceEntry map[] = {
            tl::com::Entry<GraphPlayer, IDispatch>(),
            {nullptr, nullptr},
        };
        return map;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids || count == 0) return E_POINTER;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        if (_wcsicmp(names[0], L"Play") == 0)
            ids[0] = kDispPlay;
        else if (_wcsicmp(names[0], L"Stop") == 0)
            ids[0] = kDispStop;
        else
            hr = DISP_E_UNKNOWNNAME;
        return count > 1 ? DISP_E_UNKNOWNNAME : hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT*) override {
        if (!params) return E_POINTER;
        switch (id) {
            case kDispPlay: return Play(*params, result, exception);
            case kDispStop:
                if (control_) control_->Stop();
                control_.Reset();
                return S_OK;
            default: return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    // Arguments arrive last first.
    HRESULT Play(const DISPPARAMS& params, VARIANT* result, EXCEPINFO* exception) {
        if (params.cArgs < 2 || params.cArgs > 3) return DISP_E_BADPARAMCOUNT;
        const VARIANT& filterArg = params.rgvarg[params.cArgs - 1];
        VARIANT path;
        VariantInit(&path);
        HRESULT hr = VariantChangeType(&path, &params.rgvarg[params.cArgs - 2], 0, VT_BSTR);
        if (FAILED(hr)) return hr;
        tl::tlvplay::Options options;
        options.input = Narrow(path.bstrVal);
        VariantClear(&path);
        options.renderer = tl::tlvplay::Renderer::Null;
        if (params.cArgs == 3) {
            VARIANT format;
            VariantInit(&format);
            hr = VariantChangeType(&format, &params.rgvarg[0], 0, VT_BSTR);
            if (FAILED(hr)) return hr;
            options.format = tl::tlvplay::FindOutputFormat(Narrow(format.bstrVal));
            VariantClear(&format);
            if (!options.format) return Raise(exception, "unknown output format");
        }
        if ((filterArg.vt != VT_DISPATCH && filterArg.vt != VT_UNKNOWN) || !filterArg.punkVal)
            return DISP_E_TYPEMISMATCH;
        ComPtr<IBaseFilter> filter;
        hr = filterArg.punkVal->QueryInterface(IID_IBaseFilter, filter.OutVoid());
        if (FAILED(hr)) return Raise(exception, "the first argument is not a DirectShow filter");

        if (control_) control_->Stop();
        control_.Reset();
        const tl::tlvplay::PlayReport report = tl::tlvplay::Play(options, filter.Get(), &control_);
        if (!report.ok) return Raise(exception, report.error);
        if (!report.completed) return Raise(exception, "the graph did not play to the end");
        if (result) {
            VariantInit(result);
            result->vt = VT_I4;
            result->lVal = report.frames;
        }
        return S_OK;
    }

    ComPtr<IMediaControl> control_;
};

tl::com::ClassFactory factory(&tl::com::CreateNonAggregatable<GraphPlayer>);

LSTATUS SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    return RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, value.c_str(),
                           DWORD((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(clsid, kClsidGraphPlayer)) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(riid, ppv);
}

STDAPI DllCanUnloadNow() { return tl::com::ModuleCanUnload() ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
    wchar_t path[MAX_PATH];
    if (!GetModuleFileNameW(ThisModule(), path, MAX_PATH)) return HRESULT_FROM_WIN32(GetLastError());
    const std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsidText;
    LSTATUS status = SetValue(clsidKey + L"\\InprocServer32", nullptr, path);
    if (status == ERROR_SUCCESS) status = SetValue(clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    if (status == ERROR_SUCCESS) status = SetValue(std::wstring(kProgId) + L"\\CLSID", nullptr, kClsidText);
    return HRESULT_FROM_WIN32(status);
}

STDAPI DllUnregisterServer() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kClsidText).c_str());
    return S_OK;
}
