#include "filter/plugins/host/plugin_host.h"

#include <utility>

#include "filter/com/object.h"
#include "filter/plugins/host/plugin_list.h"

namespace tl {

PluginHost::~PluginHost() { Unload(); }

void PluginHost::ReadRegistryList(IFilterVideoDecoder* site) {
    ReadPluginRecords(
        [&](const std::wstring& name) {
            for (const auto& entry : list_)
                if (entry->Name() == name) return true;
            return false;
        },
        [&](PluginRecord&& record) {
            com::ComPtr<PluginContext> context(new com::Object<PluginContext>(std::move(record), site));
            const auto at = PluginInsertPosition(list_.begin(), list_.end(), context->Priority(),
                                                 [](const com::ComPtr<PluginContext>& c) { return c->Priority(); });
            list_.insert(at, std::move(context));
        });
}

void PluginHost::Load(IFilterVideoDecoder* site, const AddMember& addMember) {
    std::lock_guard<std::mutex> hold(lock_);
    ReadRegistryList(site);
    for (const com::ComPtr<PluginContext>& context : list_) {
        if (!context->Enabled()) continue;
        com::ComPtr<IFilterVideoDecoderPlugin> plugin;
        if (FAILED(CoCreateInstance(context->Clsid(), nullptr, CLSCTX_INPROC_SERVER,
                                    __uuidof(IFilterVideoDecoderPlugin), plugin.OutVoid())) ||
            !plugin)
            continue;
        // Only S_OK counts: a plug-in answering S_FALSE is released at once.
        if (plugin->Init(context.Get()) != S_OK) continue;
        context->SetPlugin(plugin.Get());
        com::ComPtr<IDispatch> dispatch;
        if (SUCCEEDED(plugin->QueryInterface(IID_IDispatch, dispatch.OutVoid())) && dispatch && addMember)
            addMember(context->Name(), dispatch.Get());
    }
}

void PluginHost::Unload() {
    std::lock_guard<std::mutex> hold(lock_);
    while (!list_.empty()) {
        com::ComPtr<PluginContext> context = std::move(list_.back());
        list_.pop_back();
        if (const com::ComPtr<IFilterVideoDecoderPlugin> plugin = context->Plugin()) plugin->Finit();
        context->Clear();
    }
}

std::vector<std::wstring> PluginHost::Names() {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<std::wstring> names;
    for (const auto& context : list_) names.push_back(context->Name());
    return names;
}

}  // namespace tl
