#include "filter/property_pages/tool_tips.h"

#include <commctrl.h>

#include "filter/com/type_library.h"

namespace tl {
namespace {

constexpr int kMaxTipWidth = 700;
constexpr int kAutoPopMs = 30000;
constexpr int kReshowMs = 100;

}  // namespace

ToolTips::ToolTips(HWND dialog)
    : dialog_(dialog),
      window_(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                              com::ThisModule(), nullptr)) {
    if (!window_) return;
    SendMessageW(window_, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
    SendMessageW(window_, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(kAutoPopMs, 0));
    SendMessageW(window_, TTM_SETDELAYTIME, TTDT_RESHOW, MAKELPARAM(kReshowMs, 0));
}

void ToolTips::Add(HWND control, const std::wstring& text) {
    if (!window_ || !control) return;
    TOOLINFOW tool{};
    // The size every version of the common controls accepts.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<LPWSTR>(text.c_str());
    SendMessageW(window_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace tl
