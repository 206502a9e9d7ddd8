// tlvplay --plugin NAME: a plug-in of the filter's plug-in list switched on for
// one run. Its bPluginEnabled value is set to 1 before the filter is created and
// put back exactly as it was (type and data, or absent) afterwards.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace tl::tlvplay {

class PluginSwitch {
public:
    PluginSwitch() = default;
    PluginSwitch(const PluginSwitch&) = delete;
    PluginSwitch& operator=(const PluginSwitch&) = delete;
    // Puts every value back, the last switched first.
    ~PluginSwitch();

    // False with a reason when the plug-in list has no entry of that name or
    // the value cannot be written.
    bool Enable(const std::string& name, std::string* error);

private:
    struct Saved {
        std::wstring path;
        bool present = false;
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
    };
    std::vector<Saved> saved_;
};

}  // namespace tl::tlvplay
