// The filter as the site of script engines that plug-ins run against it: the one
// named item "filter" is the filter itself, and a script is asked to stop once
// the filter has left its graph.
#include "filter/filter/filter_video_decoder.h"

#include <cwchar>

namespace tl {

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::GetLCID(LCID*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::GetItemInfo(LPCOLESTR pstrName, DWORD dwReturnMask,
                                                          IUnknown** ppiunkItem, ITypeInfo** ppti) {
    if (!pstrName || _wcsicmp(pstrName, L"filter") != 0) return TYPE_E_ELEMENTNOTFOUND;
    if ((dwReturnMask & SCRIPTINFO_IUNKNOWN) && !ppiunkItem) return E_INVALIDARG;
    if ((dwReturnMask & SCRIPTINFO_ITYPEINFO) && !ppti) return E_INVALIDARG;
    if (dwReturnMask & SCRIPTINFO_IUNKNOWN) {
        *ppiunkItem = ControllingUnknown();
        (*ppiunkItem)->AddRef();
    }
    if (dwReturnMask & SCRIPTINFO_ITYPEINFO) {
        const HRESULT hr = GetTypeInfo(0, LOCALE_USER_DEFAULT, ppti);
        if (FAILED(hr)) {
            if (dwReturnMask & SCRIPTINFO_IUNKNOWN) (*ppiunkItem)->Release(), *ppiunkItem = nullptr;
            return hr;
        }
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::GetDocVersionString(BSTR*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE FilterVideoDecoder::OnScriptTerminate(const VARIANT*, const EXCEPINFO*) { return S_OK; }
HRESULT STDMETHODCALLTYPE FilterVideoDecoder::OnStateChange(SCRIPTSTATE) { return S_OK; }

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::OnScriptError(IActiveScriptError* pscripterror) {
    // Read and dropped: whoever runs the script sees the failure in its result.
    if (!pscripterror) return S_OK;
    EXCEPINFO exception{};
    if (SUCCEEDED(pscripterror->GetExceptionInfo(&exception))) {
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
    }
    DWORD context = 0;
    ULONG line = 0;
    LONG position = 0;
    pscripterror->GetSourcePosition(&context, &line, &position);
    BSTR text = nullptr;
    if (SUCCEEDED(pscripterror->GetSourceLineText(&text))) SysFreeString(text);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::OnEnterScript() { return S_OK; }
HRESULT STDMETHODCALLTYPE FilterVideoDecoder::OnLeaveScript() { return S_OK; }
HRESULT STDMETHODCALLTYPE FilterVideoDecoder::QueryContinue() { return inGraph_ ? S_OK : S_FALSE; }

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::GetWindow(HWND* phwnd) {
    if (!phwnd) return E_POINTER;
    *phwnd = GetDesktopWindow();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::EnableModeless(BOOL) { return S_OK; }

}  // namespace tl
