// PluginContext: what a plug-in gets from the host in Init. It leads
// back to the filter's automation interface and names the plug-in and its
// registry key. One per listed plug-in; the host's list owns it and keeps the
// loaded plug-in in it.
//
// The context holds a reference to the filter while the filter holds the list:
// the host breaks that cycle with Clear() when the filter leaves its graph.
#pragma once
#include <FilterVideoDecoder.h>

#include <mutex>
#include <string>

#include "filter/com/com_ptr.h"
#include "filter/com/interface_map.h"
#include "filter/plugins/host/plugin_list.h"

namespace tl {

class PluginContext : public IFilterVideoDecoderPluginContext {
public:
    // Takes the record's identity and values and a reference to the site.
    PluginContext(PluginRecord record, IFilterVideoDecoder* site);
    ~PluginContext();
    PluginContext(const PluginContext&) = delete;
    PluginContext& operator=(const PluginContext&) = delete;
    static const com::InterfaceEntry* InterfaceMap();

    // IFilterVideoDecoderPluginContext
    HRESULT STDMETHODCALLTYPE GetSite(IFilterVideoDecoder** ppISite) override;
    HRESULT STDMETHODCALLTYPE GetName(BSTR* pszPluginName) override;
    HRESULT STDMETHODCALLTYPE GetRegKey(long* phKeyRoot, BSTR* pszPath) override;

    const std::wstring& Name() const { return record_.name; }
    bool Enabled() const { return record_.enabled; }
    std::uint32_t Priority() const { return record_.priority; }
    const CLSID& Clsid() const { return record_.clsid; }

    com::ComPtr<IFilterVideoDecoderPlugin> Plugin();
    // Keeps a loaded plug-in, releasing any held one.
    void SetPlugin(IFilterVideoDecoderPlugin* plugin);
    // Releases the plug-in, then the site.
    void Clear();

private:
    std::mutex lock_;
    PluginRecord record_;
    const HKEY root_ = HKEY_CURRENT_USER;
    com::ComPtr<IFilterVideoDecoder> site_;
    com::ComPtr<IFilterVideoDecoderPlugin> plugin_;
};

}  // namespace tl
