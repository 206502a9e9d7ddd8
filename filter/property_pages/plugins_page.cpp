#include "filter/property_pages/plugins_page.h"

#include <commctrl.h>

#include <iterator>
#include <string>

#include "filter/com/class_factory.h"
#include "filter/property_pages/page_classes.h"
#include "filter/property_pages/page_ids.h"

namespace tl {
namespace {

enum Column { kName, kEnabled, kPriority, kGuid };
constexpr const wchar_t* kColumns[] = {L"Name", L"Enabled", L"Priority", L"GUID"};
constexpr int kColumnWidths[] = {30, 16, 14, 40};  // per cent of the list's width

void SetCell(HWND list, int row, int column, const std::wstring& text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<LPWSTR>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
}

const wchar_t* YesNo(bool value) { return value ? L"yes" : L"no"; }

}  // namespace

PluginsPage::PluginsPage() : PropertyPage(TL_DIALOG_PAGE_PLUGINS, TL_STRING_TITLE_PLUGINS) {}

void PluginsPage::OnActivate() {
    const HWND list = Control(TL_CONTROL_PLUGINS_LIST);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    RECT client;
    GetClientRect(list, &client);
    for (int i = 0; i < int(std::size(kColumns)); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<LPWSTR>(kColumns[i]);
        column.cx = (client.right - client.left) * kColumnWidths[i] / 100;
        SendMessageW(list, LVM_INSERTCOLUMNW, WPARAM(i), reinterpret_cast<LPARAM>(&column));
    }
    plugins_.clear();
    for (PluginRecord& plugin : ReadPluginList())
        if (!plugin.hidden) plugins_.push_back(std::move(plugin));
    for (int row = 0; row < int(plugins_.size()); ++row) {
        const PluginRecord& plugin = plugins_[size_t(row)];
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = const_cast<LPWSTR>(plugin.name.c_str());
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        wchar_t guid[40];
        StringFromGUID2(plugin.clsid, guid, int(std::size(guid)));
        SetCell(list, row, kEnabled, YesNo(plugin.enabled));
        SetCell(list, row, kPriority, std::to_wstring(plugin.priority));
        SetCell(list, row, kGuid, guid);
    }
}

int PluginsPage::SelectedRow() const {
    return int(SendMessageW(Control(TL_CONTROL_PLUGINS_LIST), LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
}

void PluginsPage::ShowEnabled(int row) {
    const HWND box = Control(TL_CONTROL_PLUGINS_ENABLE);
    const bool selected = row >= 0 && row < int(plugins_.size());
    EnableWindow(box, selected);
    if (selected) SendMessageW(box, BM_SETCHECK, plugins_[size_t(row)].enabled ? BST_CHECKED : BST_UNCHECKED, 0);
}

void PluginsPage::OnApply() {
    for (const PluginRecord& plugin : plugins_) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, plugin.path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) continue;
        const DWORD enabled = plugin.enabled ? 1 : 0;
        RegSetValueExW(key, L"bPluginEnabled", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enabled), sizeof enabled);
        RegCloseKey(key);
    }
}

bool PluginsPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR*) {
    if (message == WM_NOTIFY) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if (change->hdr.idFrom != TL_CONTROL_PLUGINS_LIST || change->hdr.code != LVN_ITEMCHANGED ||
            !(change->uChanged & LVIF_STATE))
            return false;
        ShowEnabled(SelectedRow());
        return true;
    }
    if (message != WM_COMMAND || LOWORD(wParam) != TL_CONTROL_PLUGINS_ENABLE || HIWORD(wParam) != BN_CLICKED)
        return false;
    const int row = SelectedRow();
    if (row < 0 || row >= int(plugins_.size())) return true;
    PluginRecord& plugin = plugins_[size_t(row)];
    plugin.enabled = SendMessageW(Control(TL_CONTROL_PLUGINS_ENABLE), BM_GETCHECK, 0, 0) == BST_CHECKED;
    SetCell(Control(TL_CONTROL_PLUGINS_LIST), row, kEnabled, YesNo(plugin.enabled));
    SetDirty(true);
    return true;
}

HRESULT CreatePluginsPage(IUnknown* outer, REFIID riid, void** ppv) {
    return com::CreateNonAggregatable<PluginsPage>(outer, riid, ppv);
}

}  // namespace tl
