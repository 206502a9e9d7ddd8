#include "filter/plugins/host/plugin_context.h"

#include <utility>

namespace tl {

PluginContext::PluginContext(PluginRecord record, IFilterVideoDecoder* site)
    : record_(std::move(record)), site_(site) {}

PluginContext::~PluginContext() { Clear(); }

const com::InterfaceEntry* PluginContext::InterfaceMap() {
    static const com::InterfaceEntry map[] = {
        com::Entry<PluginContext, IFilterVideoDecoderPluginContext>(),
        {},
    };
    return map;
}

HRESULT STDMETHODCALLTYPE PluginContext::GetSite(IFilterVideoDecoder** ppISite) {
    if (!ppISite) return E_POINTER;
    *ppISite = nullptr;
    std::lock_guard<std::mutex> hold(lock_);
    if (!site_) return E_NOINTERFACE;
    return site_->QueryInterface(__uuidof(IFilterVideoDecoder), reinterpret_cast<void**>(ppISite));
}

HRESULT STDMETHODCALLTYPE PluginContext::GetName(BSTR* pszPluginName) {
    if (!pszPluginName) return E_POINTER;
    std::lock_guard<std::mutex> hold(lock_);
    *pszPluginName = SysAllocStringLen(record_.name.data(), static_cast<UINT>(record_.name.size()));
    return *pszPluginName ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE PluginContext::GetRegKey(long* phKeyRoot, BSTR* pszPath) {
    std::lock_guard<std::mutex> hold(lock_);
    // The predefined handles are sign-extended 32-bit values on every platform.
    if (phKeyRoot) *phKeyRoot = static_cast<long>(reinterpret_cast<LONG_PTR>(root_));
    if (pszPath) {
        *pszPath = SysAllocStringLen(record_.path.data(), static_cast<UINT>(record_.path.size()));
        if (!*pszPath) return E_OUTOFMEMORY;
    }
    return S_OK;
}

com::ComPtr<IFilterVideoDecoderPlugin> PluginContext::Plugin() {
    std::lock_guard<std::mutex> hold(lock_);
    return plugin_;
}

void PluginContext::SetPlugin(IFilterVideoDecoderPlugin* plugin) {
    com::ComPtr<IFilterVideoDecoderPlugin> previous(plugin);
    {
        std::lock_guard<std::mutex> hold(lock_);
        plugin_.Swap(previous);
    }
}

void PluginContext::Clear() {
    com::ComPtr<IFilterVideoDecoderPlugin> plugin;
    com::ComPtr<IFilterVideoDecoder> site;
    {
        std::lock_guard<std::mutex> hold(lock_);
        plugin.Swap(plugin_);
        site.Swap(site_);
    }
    // Released outside the lock, in this order: a plug-in's last release may
    // call back into the context.
    plugin.Reset();
    site.Reset();
}

}  // namespace tl
