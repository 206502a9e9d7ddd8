#include "filter/plugins/host/context_values.h"

#include "filter/com/bstr.h"

namespace tl {

HRESULT ReadPluginContext(IFilterVideoDecoderPluginContext& context, PluginContextValues* out) {
    com::Bstr name, path;
    long root = 0;
    HRESULT hr = context.GetSite(out->site.Out());
    if (SUCCEEDED(hr)) hr = context.GetName(name.Out());
    if (SUCCEEDED(hr)) hr = context.GetRegKey(&root, path.Out());
    if (FAILED(hr)) return hr;
    out->name = com::ToString(name.Get());
    out->path = com::ToString(path.Get());
    out->root = reinterpret_cast<HKEY>(static_cast<LONG_PTR>(root));
    return S_OK;
}

}  // namespace tl
