// A plug-in module of the tests' own (tltestplugin.dll), for the plug-in host's
// ordering and skipping rules. Every instance reads its behaviour from its own
// registry key in Init and records what happens to it in a log that the test
// reads through the module's export:
//   "Init:NAME"   Init was called (and the context answered as the host promises;
//                 otherwise "BadContext:NAME")
//   "Finit:NAME"  Finit was called
//   "Gone:NAME"   the object was destroyed
// Values under the plug-in's key:
//   dwInitResult  REG_DWORD  what Init returns (default S_OK)
//   bDispatch     REG_DWORD  1: the object answers IDispatch after Init; its
//                            value property (DISPID 0) is the plug-in's name
#pragma once
#include <windows.h>

// {5B0E6C2A-8F1D-4A37-B2C4-7D9E0F1A3C55}
inline constexpr CLSID kClsidTestPlugin = {
    0x5b0e6c2a, 0x8f1d, 0x4a37, {0xb2, 0xc4, 0x7d, 0x9e, 0x0f, 0x1a, 0x3c, 0x55}};
inline constexpr wchar_t kClsidTestPluginText[] = L"{5B0E6C2A-8F1D-4A37-B2C4-7D9E0F1A3C55}";

// Export: the log since the last call, as one space-separated line.
using TestPluginTakeLogFn = const wchar_t*(WINAPI*)();
