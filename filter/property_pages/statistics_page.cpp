#include "filter/property_pages/statistics_page.h"

#include <commctrl.h>

#include "filter/com/class_factory.h"
#include "filter/property_pages/page_classes.h"
#include "filter/property_pages/page_ids.h"

namespace tl {
namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 200;

void SetCell(HWND list, int row, int column, const std::wstring& text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<LPWSTR>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

StatisticsPage::StatisticsPage() : PropertyPage(TL_DIALOG_PAGE_STAT, TL_STRING_TITLE_STAT) {}

void StatisticsPage::OnActivate() {
    const HWND list = Control(TL_CONTROL_STAT_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    RECT client;
    GetClientRect(list, &client);
    const int paramWidth = (client.right - client.left) * 7 / 20;
    const struct {
        const wchar_t* title;
        int width;
    } kColumns[] = {{L"Param", paramWidth}, {L"Value", client.right - client.left - paramWidth}};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<LPWSTR>(kColumns[i].title);
        column.cx = kColumns[i].width;
        SendMessageW(list, LVM_INSERTCOLUMNW, WPARAM(i), reinterpret_cast<LPARAM>(&column));
    }
    Refresh();
    SetTimer(Dialog(), kRefreshTimer, kRefreshMs, nullptr);
}

void StatisticsPage::OnDeactivate() { KillTimer(Dialog(), kRefreshTimer); }

void StatisticsPage::Refresh() {
    if (!Filter()) return;
    const HWND list = Control(TL_CONTROL_STAT_LIST);
    const std::vector<StatisticsRow> rows = StatisticsRows(Filter(), &readRate_);
    const int shown = ListView_GetItemCount(list);
    for (int i = 0; i < int(rows.size()); ++i) {
        if (i >= shown) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = const_cast<LPWSTR>(L"");
            SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        SetCell(list, i, 0, rows[i].param);
        SetCell(list, i, 1, rows[i].value);
    }
    // Rows of a longer earlier list stay, blank.
    for (int i = int(rows.size()); i < shown; ++i) {
        SetCell(list, i, 0, L"");
        SetCell(list, i, 1, L"");
    }
}

bool StatisticsPage::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR*) {
    if (message != WM_TIMER || wParam != kRefreshTimer) return false;
    Refresh();
    return true;
}

HRESULT CreateStatisticsPage(IUnknown* outer, REFIID riid, void** ppv) {
    return com::CreateNonAggregatable<StatisticsPage>(outer, riid, ppv);
}

}  // namespace tl
