#include "filter/property_pages/hyperlink.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <cwchar>

#include "filter/property_pages/tool_tips.h"

namespace tl {
namespace {

constexpr UINT_PTR kSubclassId = 1;

struct Link {
    std::wstring address;
    HFONT font = nullptr;  // the control's font, underlined
    bool visited = false;
    bool tracking = false;
    ToolTips tips;
};

bool ReadColour(const wchar_t* name, COLORREF* colour) {
    wchar_t text[64];
    DWORD bytes = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Settings", name, RRF_RT_REG_SZ,
                     nullptr, text, &bytes) != ERROR_SUCCESS)
        return false;
    unsigned r = 0, g = 0, b = 0;
    if (std::swscanf(text, L"%u,%u,%u", &r, &g, &b) != 3 || r > 255 || g > 255 || b > 255) return false;
    *colour = RGB(r, g, b);
    return true;
}

std::wstring Text(HWND control) {
    std::wstring text(size_t(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(control, text.data(), int(text.size()))));
    return text;
}

// Where the text is drawn, in client coordinates.
RECT TextRect(HWND control, const Link& link) {
    RECT rect{};
    const HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, link.font);
    DrawTextW(dc, Text(control).c_str(), -1, &rect, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return rect;
}

bool OverText(HWND control, const Link& link, POINT point) {
    const RECT rect = TextRect(control, link);
    return PtInRect(&rect, point) != FALSE;
}

void Paint(HWND control, const Link& link) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(control, &paint);
    RECT client;
    GetClientRect(control, &client);
    const HWND parent = GetParent(control);
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    const HGDIOBJ old = SelectObject(dc, link.font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, LinkColour(link.visited));
    const std::wstring text = Text(control);
    DrawTextW(dc, text.c_str(), -1, &client, DT_SINGLELINE | DT_NOPREFIX);
    if (GetFocus() == control) {
        RECT focus = TextRect(control, link);
        InflateRect(&focus, 1, 1);
        DrawFocusRect(dc, &focus);
    }
    SelectObject(dc, old);
    EndPaint(control, &paint);
}

// A link whose static has SS_NOTIFY leaves the activation to its parent, as
// STN_CLICKED, like any notifying static; any other opens its address.
void Activate(HWND control, Link* link) {
    const HWND parent = GetParent(control);
    if (GetWindowLongW(control, GWL_STYLE) & SS_NOTIFY) {
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), STN_CLICKED),
                     reinterpret_cast<LPARAM>(control));
        return;
    }
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(parent, L"open", link->address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) return;
    link->visited = true;
    InvalidateRect(control, nullptr, TRUE);
}

LRESULT CALLBACK LinkProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* link = reinterpret_cast<Link*>(data);
    switch (message) {
        case WM_PAINT:
            Paint(control, *link);
            return 0;
        case WM_NCHITTEST:
            return HTCLIENT;
        case WM_SETCURSOR: {
            POINT point;
            GetCursorPos(&point);
            ScreenToClient(control, &point);
            if (!OverText(control, *link, point)) break;
            SetCursor(LoadCursorA(nullptr, IDC_HAND));
            return TRUE;
        }
        case WM_MOUSEMOVE:
            if (!link->tracking) {
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, control, 0};
                link->tracking = TrackMouseEvent(&track) != FALSE;
            }
            break;
        case WM_MOUSELEAVE:
            link->tracking = false;
            break;
        case WM_LBUTTONDOWN:
            SetFocus(control);
            return 0;
        case WM_LBUTTONUP:
            if (OverText(control, *link, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) Activate(control, link);
            return 0;
        case WM_GETDLGCODE:
            // Enter and Space activate the link instead of the dialog's buttons.
            if (lParam) {
                const MSG* keyMessage = reinterpret_cast<const MSG*>(lParam);
                if (keyMessage->message == WM_KEYDOWN &&
                    (keyMessage->wParam == VK_RETURN || keyMessage->wParam == VK_SPACE))
                    return DLGC_WANTMESSAGE;
            }
            break;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_SPACE) {
                Activate(control, link);
                return 0;
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(control, nullptr, TRUE);
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(control, &LinkProc, kSubclassId);
            DeleteObject(link->font);
            delete link;
            return DefSubclassProc(control, message, wParam, lParam);
        default:
            break;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

}  // namespace

COLORREF LinkColour(bool visited) {
    COLORREF colour = visited ? RGB(128, 0, 128) : RGB(0, 0, 255);
    ReadColour(visited ? L"Anchor Color Visited" : L"Anchor Color", &colour);
    return colour;
}

void AttachHyperlink(HWND control, const std::wstring& address) {
    if (!control) return;
    auto* link = new Link{address, nullptr, false, false, ToolTips(GetParent(control))};
    LOGFONTW font{};
    auto base = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    GetObjectW(base ? base : GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfUnderline = TRUE;
    link->font = CreateFontIndirectW(&font);
    link->tips.Add(control, address);
    SetWindowSubclass(control, &LinkProc, kSubclassId, reinterpret_cast<DWORD_PTR>(link));
    InvalidateRect(control, nullptr, TRUE);
}

}  // namespace tl
