// The plug-in host: the filter's list of plug-in contexts, sorted by
// ascending priority, loaded when the filter joins a graph and unloaded, in the
// reverse order, when it leaves.
//
// Lock: the plug-in lock guards the list. Load runs inside the filter lock;
// Unload runs outside it (see FilterVideoDecoder::JoinFilterGraph), because a
// plug-in's thread may be waiting for the filter lock in a pin call while Finit
// waits for that thread.
#pragma once
#include <FilterVideoDecoder.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "filter/com/com_ptr.h"
#include "filter/plugins/host/plugin_context.h"

namespace tl {

class PluginHost {
public:
    // Makes a loaded plug-in that answers IDispatch a member of the filter.
    using AddMember = std::function<void(const std::wstring& name, IDispatch* plugin)>;

    PluginHost() = default;
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;
    ~PluginHost();

    // Adds the registry's plug-ins not listed yet, then creates and initialises
    // every enabled entry in list order. A plug-in that cannot be created or
    // whose Init does not return exactly S_OK is skipped. Raises HResultError
    // (E_OUTOFMEMORY) when a context cannot be allocated.
    void Load(IFilterVideoDecoder* site, const AddMember& addMember);

    // From the last entry to the first: Finit on a loaded plug-in, then the
    // entry is removed and its context cleared and released.
    void Unload();

    // The names in list order (for tests and diagnostics).
    std::vector<std::wstring> Names();

private:
    void ReadRegistryList(IFilterVideoDecoder* site);

    std::mutex lock_;
    std::vector<com::ComPtr<PluginContext>> list_;
};

}  // namespace tl
