#include "filter/plugins/console/script_runner.h"

#include <activscp.h>
#include <dshow.h>

#include "filter/com/com_ptr.h"

namespace tl {

HRESULT RunScript(IUnknown* site, const std::wstring& language, const std::wstring& script) {
    if (!site) return E_POINTER;
    CLSID engineClass{};
    HRESULT hr = CLSIDFromProgID(language.c_str(), &engineClass);
    if (FAILED(hr)) return hr;
    com::ComPtr<IActiveScript> engine;
    hr = CoCreateInstance(engineClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IActiveScript), engine.OutVoid());
    if (FAILED(hr)) return hr;
    com::ComPtr<IActiveScriptParse> parse;
    com::ComPtr<IActiveScriptSite> scriptSite;
    hr = engine->QueryInterface(__uuidof(IActiveScriptParse), parse.OutVoid());
    if (SUCCEEDED(hr)) hr = site->QueryInterface(__uuidof(IActiveScriptSite), scriptSite.OutVoid());
    if (SUCCEEDED(hr)) hr = engine->SetScriptSite(scriptSite.Get());
    if (SUCCEEDED(hr)) hr = parse->InitNew();
    if (SUCCEEDED(hr)) hr = engine->AddNamedItem(L"filter", SCRIPTITEM_ISVISIBLE | SCRIPTITEM_ISSOURCE);
    if (FAILED(hr)) {
        engine->Close();
        return hr;
    }
    EXCEPINFO exception{};
    hr = parse->ParseScriptText(script.c_str(), nullptr, nullptr, nullptr, 0, 0, 0, nullptr, &exception);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    // The global code runs when the engine is connected.
    if (SUCCEEDED(hr)) hr = engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    engine->Close();
    return hr;
}

std::wstring ScriptErrorText(HRESULT hr) {
    wchar_t text[MAX_ERROR_TEXT_LEN] = {};
    if (AMGetErrorTextW(hr, text, MAX_ERROR_TEXT_LEN) == 0 || !text[0]) {
        // "0x%x": lower-case digits, no leading zeros.
        std::wstring digits;
        for (auto value = static_cast<unsigned long>(hr); digits.empty() || value; value >>= 4)
            digits.insert(digits.begin(), L"0123456789abcdef"[value & 0xF]);
        return L"0x" + digits;
    }
    std::wstring message = text;
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n')) message.pop_back();
    return message;
}

}  // namespace tl
