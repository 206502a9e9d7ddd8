// What every property page shares: the page site, the object it edits (the
// filter's IFilterVideoDecoder), the dialog created from the page's template while
// the frame shows it, and the dirty state reported to the site.
//
// A page class derives from PropertyPage, names its dialog template and title, and
// overrides the hooks it needs. Its COM identity comes from PageInterfaces<Page>().
#pragma once
#include <windows.h>

#include <FilterVideoDecoder.h>

#include <ocidl.h>

#include <string>

#include "filter/com/com_ptr.h"
#include "filter/com/interface_map.h"

namespace tl {

class PropertyPage : public IPropertyPage {
public:
    PropertyPage(const PropertyPage&) = delete;
    PropertyPage& operator=(const PropertyPage&) = delete;

    // IPropertyPage
    HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override;
    HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    HRESULT STDMETHODCALLTYPE Deactivate() override;
    HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override;
    HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override;
    HRESULT STDMETHODCALLTYPE Show(UINT command) override;
    HRESULT STDMETHODCALLTYPE Move(LPCRECT rect) override;
    HRESULT STDMETHODCALLTYPE IsPageDirty() override;
    HRESULT STDMETHODCALLTYPE Apply() override;
    HRESULT STDMETHODCALLTYPE Help(LPCOLESTR helpDir) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message) override;

protected:
    PropertyPage(int dialogId, int titleId) : dialogId_(dialogId), titleId_(titleId) {}
    ~PropertyPage() = default;

    // The dialog exists: show the object's values. Change notifications that the
    // controls send meanwhile are not passed on.
    virtual void OnActivate() {}
    // The dialog is about to be destroyed.
    virtual void OnDeactivate() {}
    // Write the controls back to the object; Apply then reports the page clean.
    virtual void OnApply() {}
    // WM_COMMAND, WM_NOTIFY, WM_TIMER, WM_HSCROLL and the like; true when handled.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result);

    // The filter, null when the page has no object.
    IFilterVideoDecoder* Filter() const { return filter_.Get(); }
    HWND Dialog() const { return dialog_; }
    HWND Control(int id) const { return GetDlgItem(dialog_, id); }
    // Tells the site only when the state changes.
    void SetDirty(bool dirty);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    const int dialogId_;
    const int titleId_;
    com::ComPtr<IPropertyPageSite> site_;
    com::ComPtr<IFilterVideoDecoder> filter_;
    HWND dialog_ = nullptr;
    bool dirty_ = false;
    bool loading_ = false;
};

// The interface table of a page class: its identity and IPropertyPage.
template <class Page>
const com::InterfaceEntry* PageInterfaces() {
    static const com::InterfaceEntry map[] = {com::Entry<Page, IPropertyPage>(), {}};
    return map;
}

}  // namespace tl
