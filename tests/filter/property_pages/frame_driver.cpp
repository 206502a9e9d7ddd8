// Drives a property frame of another process the way a user would, for the
// end-to-end tests and the screenshot script:
//   tlframedriver CAPTION select INDEX   shows page INDEX; prints the frame's caption
//                                        and every visible control of the page as
//                                        "control ID CLASS X Y WIDTH HEIGHT" in the
//                                        frame's client coordinates
//   tlframedriver CAPTION click ID       clicks a visible control of the shown page
//   tlframedriver CAPTION ok             presses the frame's OK button
// CAPTION is part of the frame's caption. Exit 1 when there is no such frame.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <utility>

#include <shellapi.h>

namespace {

constexpr int kPageFrameId = 1000;  // the group box that frames every page

std::string Utf8(const std::wstring& text) {
    std::string narrow(std::size_t(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr)),
                       '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, narrow.data(), int(narrow.size()), nullptr, nullptr);
    narrow.pop_back();
    return narrow;
}

std::wstring TextOf(HWND window) {
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return text;
}

// The first window EnumWindows (parent null) or EnumChildWindows finds that matches.
template <class Match>
HWND Find(HWND parent, Match match) {
    std::pair<Match*, HWND> search{&match, nullptr};
    const WNDENUMPROC visit = [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<std::pair<Match*, HWND>*>(data);
        if (!IsWindowVisible(window) || !(*s->first)(window)) return TRUE;
        s->second = window;
        return FALSE;
    };
    if (parent) EnumChildWindows(parent, visit, reinterpret_cast<LPARAM>(&search));
    else EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

HWND WaitForFrame(const std::wstring& caption) {
    HWND frame = nullptr;
    for (int i = 0; i < 150 && !frame; ++i) {
        frame = Find(nullptr, [&](HWND w) { return TextOf(w).find(caption) != std::wstring::npos; });
        if (!frame) Sleep(100);
    }
    return frame;
}

HWND VisibleControl(HWND frame, int id) {
    return Find(frame, [id](HWND w) { return GetDlgCtrlID(w) == id; });
}

BOOL CALLBACK PrintControl(HWND window, LPARAM frame) {
    if (!IsWindowVisible(window)) return TRUE;
    wchar_t kind[64];
    GetClassNameW(window, kind, 64);
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, reinterpret_cast<HWND>(frame), reinterpret_cast<POINT*>(&rect), 2);
    std::printf("control %d %s %ld %ld %ld %ld\n", GetDlgCtrlID(window), Utf8(kind).c_str(), rect.left, rect.top,
                rect.right - rect.left, rect.bottom - rect.top);
    return TRUE;
}

}  // namespace

int main() {
    // The caption may hold characters outside the ANSI code page.
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) {
        std::fputs("usage: tlframedriver CAPTION select INDEX | click ID | ok\n", stderr);
        return 2;
    }
    const HWND frame = WaitForFrame(argv[1]);
    if (!frame) {
        std::fprintf(stderr, "no frame with '%s' in its caption\n", Utf8(argv[1]).c_str());
        return 1;
    }
    const std::wstring command = argv[2];
    if (command == L"select" && argc > 3) {
        SendMessageW(frame, PSM_SETCURSEL, WPARAM(std::wcstol(argv[3], nullptr, 10)), 0);
        Sleep(500);
        const HWND pageFrame = VisibleControl(frame, kPageFrameId);
        if (!pageFrame) return 1;
        std::printf("caption %s\n", Utf8(TextOf(frame)).c_str());
        EnumChildWindows(GetParent(pageFrame), &PrintControl, reinterpret_cast<LPARAM>(frame));
        return 0;
    }
    if (command == L"click" && argc > 3) {
        const HWND control = VisibleControl(frame, std::wcstol(argv[3], nullptr, 10));
        if (!control) return 1;
        SendMessageW(control, BM_CLICK, 0, 0);
        return 0;
    }
    if (command == L"ok") {
        const HWND ok = GetDlgItem(frame, IDOK);
        if (!ok) return 1;
        PostMessageW(ok, BM_CLICK, 0, 0);
        return 0;
    }
    std::fprintf(stderr, "unknown command '%s'\n", Utf8(command).c_str());
    return 2;
}
