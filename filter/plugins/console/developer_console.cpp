#include "filter/plugins/console/developer_console.h"

#include <algorithm>
#include <utility>

#include "filter/com/hresult_error.h"
#include "filter/com/type_library.h"
#include "filter/module/resource_ids.h"
#include "filter/plugins/console/script_runner.h"

namespace tl {
namespace {

constexpr wchar_t kTopmost[] = L"bTopmost";
constexpr wchar_t kWindowPos[] = L"rcWindowPos";
constexpr LONG kStoredMinWidth = 100, kStoredMinHeight = 50;

std::wstring WindowText(HWND window) {
    std::wstring text(std::size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

}  // namespace

DeveloperConsole::~DeveloperConsole() { thread_.Stop(); }

const com::InterfaceEntry* DeveloperConsole::InterfaceMap() {
    static const com::InterfaceEntry map[] = {
        com::Entry<DeveloperConsole, IFilterVideoDecoderPlugin>(),
        {},
    };
    return map;
}

HRESULT STDMETHODCALLTYPE DeveloperConsole::Init(IFilterVideoDecoderPluginContext* pContext) {
    if (!pContext) return E_POINTER;
    return com::Guarded([&]() -> HRESULT {
        thread_.Stop();
        const HRESULT hr = ReadPluginContext(*pContext, &context_);
        if (FAILED(hr)) return hr;
        return thread_.Start([this](PluginThread& thread) { Run(thread); });
    });
}

HRESULT STDMETHODCALLTYPE DeveloperConsole::Finit() {
    thread_.Stop();
    context_.site.Reset();
    return S_OK;
}

void DeveloperConsole::Run(PluginThread& thread) {
    const HRESULT apartment = CoInitializeEx(nullptr, COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE);
    CreateDialogParamW(com::ThisModule(), MAKEINTRESOURCEW(TL_DIALOG_DEVELOPER_CONSOLE), nullptr,
                       &DeveloperConsole::DialogProc, reinterpret_cast<LPARAM>(this));
    const HANDLE command = thread.CommandEvent();
    // No dialog-key processing: Tab and Escape reach the focused control.
    while (MsgWaitForMultipleObjects(1, &command, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (window_) SaveAndClose();
    thread.Acknowledge();
    if (SUCCEEDED(apartment)) CoUninitialize();
}

INT_PTR CALLBACK DeveloperConsole::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<DeveloperConsole*>(lParam)->OnInitDialog(window);
        return TRUE;
    }
    auto* console = reinterpret_cast<DeveloperConsole*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!console) return FALSE;
    switch (message) {
        case WM_COMMAND: {
            const WORD id = LOWORD(wParam);
            if (id >= IDOK && id <= IDNO) {
                console->SaveAndClose();
            } else if (HIWORD(wParam) == BN_CLICKED && id == TL_CONSOLE_RUN) {
                console->RunScriptFromControls();
            } else if (HIWORD(wParam) == BN_CLICKED && id == TL_CONSOLE_TOPMOST) {
                console->ReadControls();
                console->ApplyTopmost();
            } else {
                return FALSE;
            }
            return TRUE;
        }
        case WM_SIZE:
            console->layout_.Apply(window);
            return TRUE;
        case WM_GETMINMAXINFO: {
            // The user cannot make the window smaller than it first was; a stored
            // place, taken while the window opens, may be.
            const SIZE minimum = console->placed_ ? console->minimum_ : SIZE{0, 0};
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {minimum.cx, minimum.cy};
            return TRUE;
        }
        default:
            return FALSE;
    }
}

void DeveloperConsole::OnInitDialog(HWND window) {
    window_ = window;
    placed_ = false;
    language_ = L"JScript";
    script_.clear();
    topmost_ = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(context_.root, context_.path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD type = REG_NONE, value = 0, bytes = sizeof(value);
        if (RegQueryValueExW(key, kTopmost, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) ==
                ERROR_SUCCESS &&
            type == REG_DWORD)
            topmost_ = value;
        RegCloseKey(key);
    }

    const HWND languages = GetDlgItem(window, TL_CONSOLE_LANGUAGE);
    for (const wchar_t* name : {L"JScript", L"VBScript"})
        SendMessageW(languages, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    SetDlgItemTextW(window, TL_CONSOLE_SCRIPT, script_.c_str());
    SetWindowTextW(languages, language_.c_str());
    CheckDlgButton(window, TL_CONSOLE_TOPMOST, topmost_ <= 2 ? topmost_ : BST_UNCHECKED);

    RECT client;
    GetClientRect(window, &client);
    const int grip = GetSystemMetrics(SM_CXVSCROLL);
    const HWND sizeGrip = CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP,
                                          client.right - grip, client.bottom - grip, grip, grip, window, nullptr,
                                          nullptr, nullptr);
    using Anchor = ConsoleLayout::Anchor;
    layout_.Capture(window,
                    {{TL_CONSOLE_SCRIPT, Anchor::Grow},
                     {TL_CONSOLE_TOPMOST, Anchor::Down},
                     {TL_CONSOLE_RUN, Anchor::RightDown},
                     {TL_CONSOLE_LANGUAGE, Anchor::RightDown}},
                    sizeGrip);
    RECT initial;
    GetWindowRect(window, &initial);
    minimum_ = {initial.right - initial.left, initial.bottom - initial.top};
    const HINSTANCE module = com::ThisModule();
    for (const auto& [which, metric] : {std::pair{ICON_SMALL, SM_CXSMICON}, std::pair{ICON_BIG, SM_CXICON}}) {
        const int size = GetSystemMetrics(metric);
        const HANDLE icon = LoadImageW(module, MAKEINTRESOURCEW(TL_ICON_DEVELOPER_CONSOLE), IMAGE_ICON, size, size, 0);
        if (icon) SendMessageW(window, WM_SETICON, WPARAM(which), reinterpret_cast<LPARAM>(icon));
    }

    if (RegOpenKeyExW(context_.root, context_.path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RECT stored{};
        DWORD type = REG_NONE, bytes = sizeof(stored);
        if (RegQueryValueExW(key, kWindowPos, nullptr, &type, reinterpret_cast<BYTE*>(&stored), &bytes) ==
                ERROR_SUCCESS &&
            type == REG_BINARY && bytes == sizeof(stored)) {
            stored.right = std::max(stored.right, stored.left + kStoredMinWidth);
            stored.bottom = std::max(stored.bottom, stored.top + kStoredMinHeight);
            MoveWindow(window, stored.left, stored.top, stored.right - stored.left, stored.bottom - stored.top, TRUE);
        }
        RegCloseKey(key);
    }
    placed_ = true;
    ApplyTopmost();
}

void DeveloperConsole::ReadControls() {
    script_ = WindowText(GetDlgItem(window_, TL_CONSOLE_SCRIPT));
    language_ = WindowText(GetDlgItem(window_, TL_CONSOLE_LANGUAGE));
    topmost_ = IsDlgButtonChecked(window_, TL_CONSOLE_TOPMOST);
}

void DeveloperConsole::ApplyTopmost() const {
    SetWindowPos(window_, topmost_ ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void DeveloperConsole::RunScriptFromControls() {
    const HRESULT hr = com::Guarded([&]() -> HRESULT {
        ReadControls();
        return RunScript(context_.site.Get(), language_, script_);
    });
    if (FAILED(hr)) MessageBoxW(window_, ScriptErrorText(hr).c_str(), nullptr, MB_OK | MB_ICONINFORMATION);
}

void DeveloperConsole::SaveAndClose() {
    if (!window_) return;
    RECT place;
    GetWindowRect(window_, &place);
    HKEY key = nullptr;
    if (RegOpenKeyExW(context_.root, context_.path.c_str(), 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
        RegSetValueExW(key, kWindowPos, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&place), sizeof(place));
        RegSetValueExW(key, kTopmost, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&topmost_), sizeof(topmost_));
        RegCloseKey(key);
    }
    DestroyWindow(std::exchange(window_, nullptr));
}

}  // namespace tl
