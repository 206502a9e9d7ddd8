// TlTest.GraphPlayer: a small automation object that lets a script play a file
// through a decoder filter the script created and configured itself, read the
// decoder's statistics while the graph still runs, and stop it. The test script
// registers it.
//   player.Play(filter, path [, format]) -> frames delivered to the renderer
//   player.Stop()
#include <windows.h>

#include <oaidl.h>

#include <string>

#include "filter/com/class_factory.h"
#include "filter/com/com_ptr.h"
#include "filter/com/module_lock.h"
#include "filter/com/variant.h"
#include "tools/tlvplay/options.h"
#include "tools/tlvplay/player.h"

namespace {

using tl::com::ComPtr;

// {6A3C1E20-5D4B-4F0E-9C61-2B7E4D8A9F10}
constexpr CLSID kClsidGraphPlayer = {0x6a3c1e20, 0x5d4b, 0x4f0e, {0x9c, 0x61, 0x2b, 0x7e, 0x4d, 0x8a, 0x9f, 0x10}};

enum : DISPID { kDispPlay = 1, kDispStop = 2 };

// An argument as text; the paths and format names a script passes here are ASCII.
bool Text(const VARIANT& argument, std::string* text) {
    tl::com::Variant converted;
    if (FAILED(VariantChangeType(converted.Out(), const_cast<VARIANT*>(&argument), 0, VT_BSTR))) return false;
    const std::wstring wide = converted.Get().bstrVal ? converted.Get().bstrVal : L"";
    text->assign(wide.begin(), wide.end());
    return true;
}

// Fails the call with a message the script sees as the error's description.
HRESULT Raise(EXCEPINFO* exception, const std::string& message) {
    if (exception) {
        *exception = EXCEPINFO{};
        exception->scode = E_FAIL;
        exception->bstrDescription = SysAllocString(std::wstring(message.begin(), message.end()).c_str());
    }
    return DISP_E_EXCEPTION;
}

class GraphPlayer : public IDispatch {
public:
    static const tl::com::InterfaceEntry* InterfaceMap() {
        static const tl::com::InterfaceEntry map[] = {tl::com::Entry<GraphPlayer, IDispatch>(), {}};
        return map;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids || count != 1) return DISP_E_UNKNOWNNAME;
        *ids = _wcsicmp(names[0], L"Play") == 0 ? DISPID(kDispPlay)
               : _wcsicmp(names[0], L"Stop") == 0 ? DISPID(kDispStop)
                                                  : DISPID_UNKNOWN;
        return *ids == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT*) override {
        if (!params) return E_POINTER;
        if (id == kDispPlay) return Play(*params, result, exception);
        if (id != kDispStop) return DISP_E_MEMBERNOTFOUND;
        if (control_) control_->Stop();
        control_.Reset();
        return S_OK;
    }

private:
    // Arguments arrive last first.
    HRESULT Play(const DISPPARAMS& params, VARIANT* result, EXCEPINFO* exception) {
        if (params.cArgs < 2 || params.cArgs > 3) return DISP_E_BADPARAMCOUNT;
        const VARIANT& filterArg = params.rgvarg[params.cArgs - 1];
        tl::tlvplay::Options options;
        options.renderer = tl::tlvplay::Renderer::Null;
        std::string format;
        if (!Text(params.rgvarg[params.cArgs - 2], &options.input) || (params.cArgs == 3 && !Text(params.rgvarg[0], &format)))
            return DISP_E_TYPEMISMATCH;
        if (!format.empty() && !(options.format = tl::tlvplay::FindOutputFormat(format)))
            return Raise(exception, "unknown output format");
        ComPtr<IBaseFilter> filter;
        if ((filterArg.vt != VT_DISPATCH && filterArg.vt != VT_UNKNOWN) || !filterArg.punkVal ||
            FAILED(filterArg.punkVal->QueryInterface(IID_IBaseFilter, filter.OutVoid())))
            return Raise(exception, "the first argument is not a DirectShow filter");

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

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(clsid, kClsidGraphPlayer)) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(riid, ppv);
}

STDAPI DllCanUnloadNow() { return tl::com::ModuleCanUnload() ? S_OK : S_FALSE; }
