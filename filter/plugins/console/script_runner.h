// One run of a script against the filter: a fresh Active Scripting engine found
// by its ProgID, the filter as its site and its named item "filter", the
// script's global code run once, the engine closed again. No script state
// survives a run; what a script stores in the filter (layers, settings) does.
#pragma once
#include <windows.h>

#include <string>

namespace tl {

// S_OK, or the first failure: the ProgID lookup, the engine's creation, its
// parse interface, the site, parsing or running the script.
HRESULT RunScript(IUnknown* site, const std::wstring& language, const std::wstring& script);

// The media framework's text for a failure, trailing line breaks removed, or
// "0x%x" when it knows none.
std::wstring ScriptErrorText(HRESULT hr);

}  // namespace tl
