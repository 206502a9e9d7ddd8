// The plug-in list in the registry: one subkey per plug-in under the
// current user's Plugins key, the subkey name being the plug-in's name.
//
//   HKCU\Software\Kelmarin Systems GmbH\Video Decoder\Plugins\<name>
//       CLSID             REG_SZ     braced class identifier (required)
//       bPluginEnabled    REG_DWORD  default 1: load it
//       bPluginHidden     REG_DWORD  default 0: hide it in the user interface
//       dwPluginPriority  REG_DWORD  default 100: load order, smaller first
//
// A value is taken only when it is a REG_DWORD; otherwise its default stands.
// Reading never writes anything back. Used by the plug-in host and by the
// Plugins property page.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tl {

inline constexpr wchar_t kPluginsKeyPath[] = L"Software\\Kelmarin Systems GmbH\\Video Decoder\\Plugins";
inline constexpr std::uint32_t kDefaultPluginPriority = 100;

struct PluginRecord {
    std::wstring name;  // the subkey name
    std::wstring path;  // kPluginsKeyPath, a backslash and the name (below HKEY_CURRENT_USER)
    CLSID clsid = GUID_NULL;
    bool enabled = true;
    bool hidden = false;
    std::uint32_t priority = kDefaultPluginPriority;
};

// Walks the Plugins key's subkeys in enumeration order. A name for which
// `alreadyListed` answers true is skipped before its key is opened; so is a
// subkey that does not open for reading and writing, or whose "CLSID" is
// missing, not braced or not a GUID. Every other subkey is handed to `take`.
// Nothing happens when the Plugins key does not open. Allocation failures are
// raised (std::bad_alloc).
void ReadPluginRecords(const std::function<bool(const std::wstring& name)>& alreadyListed,
                       const std::function<void(PluginRecord&& record)>& take);

// Where an entry of `priority` goes in a list sorted by ascending priority:
// before the first entry whose priority is greater, so that equal priorities
// keep their enumeration order.
template <class Iterator, class PriorityOf>
Iterator PluginInsertPosition(Iterator first, Iterator last, std::uint32_t priority, PriorityOf priorityOf) {
    for (; first != last; ++first)
        if (priorityOf(*first) > priority) break;
    return first;
}

// The whole list in load order.
std::vector<PluginRecord> ReadPluginList();

}  // namespace tl
