// DeveloperConsole: a built-in plug-in that opens a small resizable window in
// which a developer types a script, picks its language (JScript, VBScript or
// any engine's ProgID) and runs it against the filter, which the script sees
// as "filter".
//
// The window, its controls and every script run belong to the console's own
// thread (multithreaded apartment); Init and Finit talk to that thread only
// through its command events. Closing the window saves its place and the
// Topmost flag under the plug-in's key; the thread runs on until Finit.
#pragma once
#include <FilterVideoDecoder.h>

#include <string>

#include "filter/com/com_ptr.h"
#include "filter/com/interface_map.h"
#include "filter/plugins/console/console_layout.h"
#include "filter/plugins/host/context_values.h"
#include "filter/plugins/host/plugin_thread.h"

namespace tl {

class DeveloperConsole : public IFilterVideoDecoderPlugin {
public:
    DeveloperConsole() = default;
    ~DeveloperConsole();
    DeveloperConsole(const DeveloperConsole&) = delete;
    DeveloperConsole& operator=(const DeveloperConsole&) = delete;
    static const com::InterfaceEntry* InterfaceMap();

    HRESULT STDMETHODCALLTYPE Init(IFilterVideoDecoderPluginContext* pContext) override;
    HRESULT STDMETHODCALLTYPE Finit() override;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Run(PluginThread& thread);
    void OnInitDialog(HWND window);
    void ReadControls();
    void ApplyTopmost() const;
    void RunScriptFromControls();
    void SaveAndClose();

    PluginContextValues context_;
    std::wstring script_;
    std::wstring language_ = L"JScript";
    DWORD topmost_ = 0;
    HWND window_ = nullptr;
    SIZE minimum_{};
    bool placed_ = false;  // the stored place is taken before the minimum size applies
    ConsoleLayout layout_;
    PluginThread thread_;
};

}  // namespace tl
