#include "filter/property_pages/property_page.h"

#include <commctrl.h>

#include <cstring>

#include "filter/com/type_library.h"
#include "filter/property_pages/page_strings.h"

namespace tl {
namespace {

// The list views, track bars and tool tips of the pages.
void InitCommonControlClasses() {
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
}

INT_PTR CALLBACK MeasuringProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The template's size in pixels, as its font makes it: the dialog is created
// hidden and measured.
SIZE DialogSize(int dialogId) {
    InitCommonControlClasses();
    SIZE size{0, 0};
    const HWND dialog =
        CreateDialogParamW(com::ThisModule(), MAKEINTRESOURCEW(dialogId), GetDesktopWindow(), &MeasuringProc, 0);
    if (!dialog) return size;
    RECT rect;
    GetWindowRect(dialog, &rect);
    DestroyWindow(dialog);
    size.cx = rect.right - rect.left;
    size.cy = rect.bottom - rect.top;
    return size;
}

LPOLESTR TaskMemCopy(const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (copy) std::memcpy(copy, text.c_str(), bytes);
    return copy;
}

}  // namespace

HRESULT STDMETHODCALLTYPE PropertyPage::SetPageSite(IPropertyPageSite* site) {
    site_ = com::ComPtr<IPropertyPageSite>(site);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertyPage::Activate(HWND parent, LPCRECT rect, BOOL) {
    if (dialog_) return E_UNEXPECTED;
    InitCommonControlClasses();
    dialog_ = CreateDialogParamW(com::ThisModule(), MAKEINTRESOURCEW(dialogId_), parent, &DialogProc,
                                 reinterpret_cast<LPARAM>(this));
    if (!dialog_) return HRESULT_FROM_WIN32(GetLastError());
    if (rect) Move(rect);
    dirty_ = false;
    loading_ = true;
    OnActivate();
    loading_ = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertyPage::Deactivate() {
    if (!dialog_) return E_UNEXPECTED;
    OnDeactivate();
    DestroyWindow(dialog_);
    dialog_ = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertyPage::GetPageInfo(PROPPAGEINFO* info) {
    if (!info) return E_POINTER;
    std::memset(info, 0, sizeof *info);
    info->cb = sizeof *info;
    info->pszTitle = TaskMemCopy(LoadPageString(titleId_));
    if (!info->pszTitle) return E_OUTOFMEMORY;
    info->size = DialogSize(dialogId_);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertyPage::SetObjects(ULONG count, IUnknown** objects) {
    if (count == 0) {
        filter_.Reset();
        return S_OK;
    }
    if (!objects) return E_POINTER;
    HRESULT hr = E_NOINTERFACE;
    for (ULONG i = 0; i < count; ++i) {
        com::ComPtr<IFilterVideoDecoder> filter;
        hr = objects[i] ? objects[i]->QueryInterface(__uuidof(IFilterVideoDecoder), filter.OutVoid()) : E_POINTER;
        if (SUCCEEDED(hr)) {
            filter_ = filter;
            return S_OK;
        }
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE PropertyPage::Show(UINT command) {
    if (!dialog_) return E_UNEXPECTED;
    ShowWindow(dialog_, int(command));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertyPage::Move(LPCRECT rect) {
    if (!rect) return E_POINTER;
    if (!dialog_) return E_UNEXPECTED;
    MoveWindow(dialog_, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertyPage::IsPageDirty() { return dirty_ ? S_OK : S_FALSE; }

HRESULT STDMETHODCALLTYPE PropertyPage::Apply() {
    if (!dirty_) return S_OK;
    if (filter_) OnApply();
    SetDirty(false);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertyPage::Help(LPCOLESTR) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE PropertyPage::TranslateAccelerator(MSG* message) {
    if (!message) return E_POINTER;
    return dialog_ && IsDialogMessageW(dialog_, message) ? S_OK : S_FALSE;
}

bool PropertyPage::OnMessage(UINT, WPARAM, LPARAM, INT_PTR*) { return false; }

void PropertyPage::SetDirty(bool dirty) {
    if (dirty == dirty_) return;
    dirty_ = dirty;
    if (site_) site_->OnStatusChange(dirty ? PROPPAGESTATUS_DIRTY : PROPPAGESTATUS_CLEAN);
}

INT_PTR CALLBACK PropertyPage::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<PropertyPage*>(lParam)->dialog_ = dialog;
        return TRUE;
    }
    auto* page = reinterpret_cast<PropertyPage*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!page || page->dialog_ != dialog) return FALSE;
    if (page->loading_ && message == WM_COMMAND) return TRUE;
    INT_PTR result = 0;
    if (!page->OnMessage(message, wParam, lParam, &result)) return FALSE;
    // WM_NOTIFY answers travel in the dialog's message result.
    if (message == WM_NOTIFY) SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace tl
