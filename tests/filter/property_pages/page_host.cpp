#include "tests/filter/property_pages/page_host.h"

#include <commctrl.h>

#include "filter/com/object.h"

namespace tl::test {

class PageHost::Site : public IPropertyPageSite {
public:
    static const com::InterfaceEntry* InterfaceMap() {
        static const com::InterfaceEntry map[] = {com::Entry<Site, IPropertyPageSite>(), {}};
        return map;
    }
    HRESULT STDMETHODCALLTYPE OnStatusChange(DWORD flags) override {
        statuses.push_back(flags);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* locale) override {
        *locale = LOCALE_USER_DEFAULT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPageContainer(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }

    std::vector<DWORD> statuses;
};

PageHost::PageHost(const CLSID& page, IUnknown* object) : site_(new com::Object<Site>()) {
    site_->AddRef();
    window_ = CreateWindowExW(0, L"STATIC", L"page host", WS_POPUP, 0, 0, 520, 460, nullptr, nullptr,
                              nullptr, nullptr);
    if (FAILED(CoCreateInstance(page, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage, page_.OutVoid()))) return;
    page_->SetPageSite(site_);
    page_->SetObjects(1, &object);
    const RECT rect{8, 8, 508, 448};
    page_->Activate(window_, &rect, FALSE);
    page_->Show(SW_SHOW);
    dialog_ = GetWindow(window_, GW_CHILD);
}

PageHost::~PageHost() {
    if (page_) {
        page_->Deactivate();
        page_->SetObjects(0, nullptr);
        page_->SetPageSite(nullptr);
    }
    page_.Reset();
    site_->Release();
    DestroyWindow(window_);
}

const std::vector<DWORD>& PageHost::Statuses() const { return site_->statuses; }

void PageHost::Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }

void PageHost::Type(int id, const std::wstring& text) {
    const HWND control = Control(id);
    wchar_t kind[32];
    GetClassNameW(control, kind, 32);
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    // An edit field reports the change itself; a combo box tells its owner only of typing.
    if (lstrcmpiW(kind, L"ComboBox") == 0)
        SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(control));
}

void PageHost::Select(int id, int index) {
    SendMessageW(Control(id), CB_SETCURSEL, WPARAM(index), 0);
    SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Control(id)));
}

void PageHost::Slide(int id, int position) {
    SendMessageW(Control(id), TBM_SETPOS, TRUE, position);
    SendMessageW(dialog_, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(Control(id)));
}

std::wstring PageHost::Text(int id) const {
    wchar_t text[1024];
    GetWindowTextW(Control(id), text, 1024);
    return text;
}

bool PageHost::Checked(int id) const { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::vector<std::wstring> PageHost::ListRows(int id) const {
    std::vector<std::wstring> rows;
    const HWND list = Control(id);
    const int count = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    const auto header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns = int(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        std::wstring line;
        for (int column = 0; column < columns; ++column) {
            wchar_t text[512] = L"";
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = 512;
            SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
            line += column ? L"|" + std::wstring(text) : std::wstring(text);
        }
        rows.push_back(line);
    }
    return rows;
}

void PageHost::SelectRow(int id, int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(Control(id), LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
}

void PageHost::Pump(DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    } while (GetTickCount64() < end);
}

}  // namespace tl::test
