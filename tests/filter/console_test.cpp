// The developer console as a person uses it, on a real window under Xvfb: the
// test types into its controls and clicks with window messages, reads the
// filter back and the message boxes' text; the wrapper script takes a
// screenshot of the window and checks it for its controls and text.
#include <gtest/gtest.h>

#include <FilterVideoDecoder.h>

#include <dshow.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "filter/com/com_ptr.h"
#include "filter/module/resource_ids.h"
#include "filter/plugins/console/script_runner.h"
#include "filter/plugins/host/plugin_list.h"
#include "registered_module.h"
#include "registry_helpers.h"

namespace {

using tl::com::ComPtr;
using tl::test::WaitFor;

const std::wstring kKey = std::wstring(tl::kPluginsKeyPath) + L"\\DeveloperConsole";
constexpr wchar_t kTitle[] = L"Tarvello\u00AE Video Decoder Developer Console...";

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

// A dialog box of the console's thread other than the console itself.
HWND MessageBoxOf(HWND console) {
    std::pair<HWND, HWND> search{console, nullptr};  // the console, the box found
    EnumThreadWindows(
        GetWindowThreadProcessId(console, nullptr),
        [](HWND window, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<std::pair<HWND, HWND>*>(p);
            wchar_t cls[16] = {};
            GetClassNameW(window, cls, 16);
            if (window != s->first && IsWindowVisible(window) && std::wstring(cls) == L"#32770") s->second = window;
            return !s->second;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// Hands the window to the wrapper script for a screenshot of the X display:
// writes its place and those of the script edit and the Run button (relative to
// the window) to DIR/console.ready, then waits for DIR/console.done, in which
// the script leaves its verdict on the picture.
std::string ScreenshotVerdict(HWND window, const std::string& dir) {
    RECT w, edit, run;
    GetWindowRect(window, &w);
    GetWindowRect(GetDlgItem(window, TL_CONSOLE_SCRIPT), &edit);
    GetWindowRect(GetDlgItem(window, TL_CONSOLE_RUN), &run);
    const std::string ready = dir + "/console.ready", done = dir + "/console.done";
    if (std::FILE* file = std::fopen((ready + ".tmp").c_str(), "w")) {
        std::fprintf(file, "%ld %ld %ld %ld  %ld %ld %ld %ld  %ld %ld %ld %ld\n", w.left, w.top, w.right - w.left,
                     w.bottom - w.top, edit.left - w.left, edit.top - w.top, edit.right - edit.left,
                     edit.bottom - edit.top, run.left - w.left, run.top - w.top, run.right - run.left,
                     run.bottom - run.top);
        std::fclose(file);
        MoveFileA((ready + ".tmp").c_str(), ready.c_str());
    }
    char verdict[256] = "no verdict from the screenshot script";
    WaitFor([&] {
        std::FILE* file = std::fopen(done.c_str(), "r");
        if (!file) return false;
        const bool read = std::fgets(verdict, sizeof verdict, file) != nullptr;
        std::fclose(file);
        return read;
    }, 20000);
    std::string text = verdict;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

class ConsoleTest : public tl::test::RegisteredModuleTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(RegisteredModuleSuite::SetUp());
        tl::test::WriteRaw(HKEY_CURRENT_USER, kKey, L"bPluginEnabled", tl::test::Dword(1));
        ASSERT_TRUE(graph_ = tl::test::Instance<IGraphBuilder>(CLSID_FilterGraph));
        ASSERT_TRUE(filter_ = tl::test::Instance<IBaseFilter>(__uuidof(FilterVideoDecoder)));
        ASSERT_EQ(filter_.As(&settings_), S_OK);
    }
    void TearDown() override {
        if (graph_ && filter_) graph_->RemoveFilter(filter_.Get());
        settings_.Reset();
        filter_.Reset();
        graph_.Reset();
        tl::test::WriteRaw(HKEY_CURRENT_USER, kKey, L"bPluginEnabled", tl::test::Dword(0));
    }

    // Joins the graph, which loads the console, and waits for its window.
    HWND OpenConsole() {
        EXPECT_EQ(graph_->AddFilter(filter_.Get(), L"decoder"), S_OK);
        HWND console = nullptr;
        WaitFor([&] { return (console = FindWindowW(nullptr, kTitle)) != nullptr && IsWindowVisible(console); });
        return console;
    }

    static void Click(HWND console, int id) { SendMessageW(GetDlgItem(console, id), BM_CLICK, 0, 0); }
    // Types the language and the script in and clicks Run: posted when a message
    // box will hold the console's thread until it is closed.
    static void RunScript(HWND console, const wchar_t* language, const wchar_t* script, bool posted = false) {
        SendMessageW(GetDlgItem(console, TL_CONSOLE_LANGUAGE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(language));
        SendMessageW(GetDlgItem(console, TL_CONSOLE_SCRIPT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(script));
        if (posted) PostMessageW(GetDlgItem(console, TL_CONSOLE_RUN), BM_CLICK, 0, 0);
        else Click(console, TL_CONSOLE_RUN);
    }
    tagDEINTERLACE Deinterlace() {
        tagDEINTERLACE mode = DEINTERLACE_AUTO;
        EXPECT_EQ(settings_->get_Deinterlace(&mode), S_OK);
        return mode;
    }

    ComPtr<IGraphBuilder> graph_;
    ComPtr<IBaseFilter> filter_;
    ComPtr<IFilterVideoDecoder> settings_;
};

TEST_F(ConsoleTest, ScriptsRunAgainstTheFilter) {
    const HWND console = OpenConsole();
    ASSERT_NE(console, nullptr) << "the console window opens when the filter joins a graph";
    EXPECT_EQ(TextOf(GetDlgItem(console, TL_CONSOLE_LANGUAGE)), L"JScript");
    EXPECT_EQ(SendMessageW(GetDlgItem(console, TL_CONSOLE_LANGUAGE), CB_GETCOUNT, 0, 0), 2);

    const std::tuple<const wchar_t*, const wchar_t*, tagDEINTERLACE> cases[] = {  // language, script, mode after
        {L"JScript", L"filter.Deinterlace = 4;", DEINTERLACE_SOFTWARE_BOB},
        {L"jscript", L"if (filter.Version.indexOf('v1.') == 0) filter.Deinterlace = filter.Deinterlace - 2;",
         DEINTERLACE_WEAVE},
    };
    for (const auto& [language, script, expected] : cases) {
        RunScript(console, language, script);
        EXPECT_EQ(Deinterlace(), expected) << std::string(script, script + wcslen(script));
        EXPECT_EQ(MessageBoxOf(console), nullptr);
    }

    // A VBScript shows its own box (Wine's VBScript takes the name
    // "filter" for its built-in Filter function, so it cannot reach the filter
    // by that name); an unknown language shows the text of its lookup failure.
    CLSID none;
    const HRESULT lookup = CLSIDFromProgID(L"NoSuch.Language", &none);
    EXPECT_TRUE(FAILED(lookup));
    const std::tuple<const wchar_t*, const wchar_t*, std::wstring> boxes[] = {  // language, script, box text
        {L"VBScript", L"MsgBox \"VBScript ran \" & (6 * 7)", L"VBScript ran 42"},
        {L"NoSuch.Language", L"filter.Deinterlace = 5;", tl::ScriptErrorText(lookup)},
    };
    for (const auto& [language, script, text] : boxes) {
        RunScript(console, language, script, true);
        HWND box = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (box = MessageBoxOf(console)) != nullptr; })) << "no message box";
        const std::wstring shown = TextOf(GetDlgItem(box, 0xFFFF));
        EXPECT_EQ(shown, text);
        EXPECT_TRUE(!shown.empty() && shown.back() != L'\n');
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitFor([&] { return MessageBoxOf(console) == nullptr; }));
    }
    EXPECT_EQ(Deinterlace(), DEINTERLACE_WEAVE) << "no engine, no run";

    // The console stays usable, and its window shows its controls and the script.
    RunScript(console, L"JScript", L"filter.Deinterlace = 1;");
    EXPECT_EQ(Deinterlace(), DEINTERLACE_PROGRESSIVE);
    if (const char* dir = std::getenv("TL_SCREENSHOT_DIR")) {
        EXPECT_EQ(ScreenshotVerdict(console, dir), "ok") << "the window as the X display shows it";
    }
}

// A stored place smaller than 100 x 50 opens at that size; Topmost follows its
// box; closing the window stores its place and the flag.
TEST_F(ConsoleTest, WindowPlaceAndTopmostAreKept) {
    const auto binary = [](const RECT& r) {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(&r);
        return tl::test::Raw(REG_BINARY, {bytes, bytes + sizeof r});
    };
    tl::test::WriteRaw(HKEY_CURRENT_USER, kKey, L"rcWindowPos", binary({30, 40, 70, 60}));  // 40 x 20
    tl::test::WriteRaw(HKEY_CURRENT_USER, kKey, L"bTopmost", tl::test::Dword(0));
    const HWND console = OpenConsole();
    ASSERT_NE(console, nullptr);
    RECT place;
    GetWindowRect(console, &place);
    EXPECT_EQ(std::make_tuple(place.left, place.top, place.right - place.left, place.bottom - place.top),
              std::make_tuple(30L, 40L, 100L, 50L));
    EXPECT_FALSE(GetWindowLongW(console, GWL_EXSTYLE) & WS_EX_TOPMOST);

    MoveWindow(console, 20, 30, 420, 260, TRUE);
    Click(console, TL_CONSOLE_TOPMOST);
    EXPECT_TRUE(GetWindowLongW(console, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT edit, client;
    GetWindowRect(GetDlgItem(console, TL_CONSOLE_SCRIPT), &edit);
    GetClientRect(console, &client);
    EXPECT_GT(edit.right - edit.left, client.right * 8 / 10) << "the script edit grows with the window";

    GetWindowRect(console, &place);
    PostMessageW(console, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(console); })) << "the close box closes the window";
    EXPECT_EQ(tl::test::ReadRaw(HKEY_CURRENT_USER, kKey, L"rcWindowPos"), binary(place));
    EXPECT_EQ(tl::test::ReadRaw(HKEY_CURRENT_USER, kKey, L"bTopmost"), tl::test::Dword(1));
}

}  // namespace
