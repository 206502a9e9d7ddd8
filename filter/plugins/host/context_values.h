// What a plug-in reads from its context in Init: the filter, its own name and its
// registry key. The built-in plug-ins read them as any plug-in could.
#pragma once
#include <FilterVideoDecoder.h>

#include <string>

#include "filter/com/com_ptr.h"

namespace tl {

struct PluginContextValues {
    com::ComPtr<IFilterVideoDecoder> site;
    std::wstring name;
    HKEY root = nullptr;
    std::wstring path;
};

// The first failing context call's answer; out keeps what was read before it.
HRESULT ReadPluginContext(IFilterVideoDecoderPluginContext& context, PluginContextValues* out);

}  // namespace tl
