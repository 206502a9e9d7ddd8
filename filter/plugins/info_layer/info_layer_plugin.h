// InfoLayer: a built-in plug-in that puts a text layer named after itself onto
// the filter's top layer and rewrites it on a fixed period with a report of the
// filter's connections and the stream being decoded.
//
// All report work and every call on the layer happen on the plug-in's own
// thread (multithreaded apartment), which waits on a periodic waitable timer
// and on its shutdown command. The layer outlives Finit with its last text.
#pragma once
#include <FilterVideoDecoder.h>

#include "filter/com/com_ptr.h"
#include "filter/com/interface_map.h"
#include "filter/plugins/host/context_values.h"
#include "filter/plugins/host/plugin_thread.h"
#include "filter/plugins/info_layer/info_layer_settings.h"
#include "filter/plugins/info_layer/info_report.h"

namespace tl {

class InfoLayerPlugin : public IFilterVideoDecoderPlugin {
public:
    InfoLayerPlugin() = default;
    ~InfoLayerPlugin();
    InfoLayerPlugin(const InfoLayerPlugin&) = delete;
    InfoLayerPlugin& operator=(const InfoLayerPlugin&) = delete;
    static const com::InterfaceEntry* InterfaceMap();

    HRESULT STDMETHODCALLTYPE Init(IFilterVideoDecoderPluginContext* pContext) override;
    HRESULT STDMETHODCALLTYPE Finit() override;

private:
    void Run(PluginThread& thread);
    HRESULT CreateInfoLayer(com::ComPtr<ILayer>* layer);
    void Stop();

    PluginContextValues context_;
    InfoLayerSettings settings_;
    HANDLE timer_ = nullptr;
    ByteRate rate_;
    PluginThread thread_;
};

}  // namespace tl
