#include "test_plugin.h"

#include <FilterVideoDecoder.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "filter/com/bstr.h"
#include "filter/com/class_factory.h"
#include "filter/com/com_ptr.h"
#include "filter/com/module_lock.h"
#include "filter/plugins/host/plugin_list.h"
#include "filter/settings/registry_key.h"

namespace {

std::mutex g_logLock;
std::vector<std::wstring> g_log;

void Log(const wchar_t* event, const std::wstring& name) {
    std::lock_guard<std::mutex> hold(g_logLock);
    g_log.push_back(std::wstring(event) + L":" + name);
}

// True when the context answers as the host promises: E_POINTER for null
// out-pointers, the site, HKEY_CURRENT_USER and the key of this plug-in.
bool ContextAnswers(IFilterVideoDecoderPluginContext* context, const std::wstring& name) {
    tl::com::ComPtr<IFilterVideoDecoder> site;
    if (context->GetSite(nullptr) != E_POINTER || context->GetName(nullptr) != E_POINTER ||
        context->GetRegKey(nullptr, nullptr) != S_OK || context->GetSite(site.Out()) != S_OK || !site)
        return false;
    long root = 0;
    tl::com::Bstr path;
    if (context->GetRegKey(&root, path.Out()) != S_OK) return false;
    return root == static_cast<long>(0x80000001) && path.View() == std::wstring(tl::kPluginsKeyPath) + L"\\" + name;
}

// Its own IUnknown: IDispatch comes and goes with the registry.
class TestPlugin final : public IFilterVideoDecoderPlugin, public IDispatch {
public:
    TestPlugin() { tl::com::ModuleObjectCreated(); }
    ~TestPlugin() {
        Log(L"Gone", name_.empty() ? L"?" : name_);
        tl::com::ModuleObjectDestroyed();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(IFilterVideoDecoderPlugin)))
            *ppv = static_cast<IFilterVideoDecoderPlugin*>(this);
        else if (dispatch_ && IsEqualIID(riid, IID_IDispatch))
            *ppv = static_cast<IDispatch*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE Init(IFilterVideoDecoderPluginContext* context) override {
        tl::com::Bstr name;
        if (!context || context->GetName(name.Out()) != S_OK) return E_FAIL;
        name_ = std::wstring(name.View());
        Log(ContextAnswers(context, name_) ? L"Init" : L"BadContext", name_);
        long root = 0;
        tl::com::Bstr path;
        context->GetRegKey(&root, path.Out());
        const tl::RegistryKey key =
            tl::RegistryKey::Open(reinterpret_cast<HKEY>(static_cast<LONG_PTR>(root)),
                                  std::wstring(path.View()).c_str(), KEY_READ);
        dispatch_ = key.ReadDword(L"bDispatch").value_or(0) != 0;
        return static_cast<HRESULT>(key.ReadDword(L"dwInitResult").value_or(S_OK));
    }
    HRESULT STDMETHODCALLTYPE Finit() override {
        Log(L"Finit", name_);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        if (id != DISPID_VALUE || !(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
        if (!result) return E_POINTER;
        VariantInit(result);
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(name_.c_str());
        return result->bstrVal ? S_OK : E_OUTOFMEMORY;
    }

private:
    std::atomic<ULONG> refs_{0};
    std::wstring name_;
    bool dispatch_ = false;
};

HRESULT CreateTestPlugin(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* object = new TestPlugin();
    object->AddRef();
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

tl::com::ClassFactory factory(&CreateTestPlugin);

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(clsid, kClsidTestPlugin)) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(riid, ppv);
}

STDAPI DllCanUnloadNow() { return tl::com::ModuleCanUnload() ? S_OK : S_FALSE; }

// The log since the last call, as one space-separated line; valid until the next call.
extern "C" const wchar_t* WINAPI TestPluginTakeLog() {
    static std::wstring line;
    std::lock_guard<std::mutex> hold(g_logLock);
    line.clear();
    for (const std::wstring& event : g_log) line += (line.empty() ? L"" : L" ") + event;
    g_log.clear();
    return line.c_str();
}
