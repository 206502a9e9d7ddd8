// The property pages driven as a user drives them: hosted by a page site of the
// test, given the real filter (registered for the run), their controls clicked,
// typed into and slid, and their effect read back from the filter, the decoder
// and the registry.
#include <gtest/gtest.h>

#include <FilterVideoDecoder.h>

#include <dshow.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "filter/com/bstr.h"
#include "filter/com/com_ptr.h"
#include "filter/property_pages/hyperlink.h"
#include "filter/property_pages/page_ids.h"
#include "filter/property_pages/statistics_rows.h"
#include "filter/settings/filter_settings.h"
#include "tests/filter/property_pages/page_host.h"
#include "tests/filter/registered_module.h"
#include "tests/filter/registry_helpers.h"
#include "tests/support/corpus.h"
#include "tools/tlvplay/player.h"

namespace {

using tl::com::ComPtr;
using tl::test::PageHost;

std::wstring Joined(const std::vector<std::wstring>& rows) {
    std::wstring all;
    for (const std::wstring& row : rows) all += L"\n  " + row;
    return all;
}

class PropertyPagesTest : public tl::test::RegisteredModuleSuite<COINIT_APARTMENTTHREADED> {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(RegisteredModuleSuite::SetUp());
        ASSERT_TRUE(filter_ = tl::test::Instance<IFilterVideoDecoder>(__uuidof(FilterVideoDecoder)));
    }
    void TearDown() override {
        if (running_) running_->Stop();
    }

    // Plays a corpus stream to its end and leaves the graph running, so that the
    // decoder and its statistics stay.
    void Play(const char* stream, tl::tlvplay::Renderer renderer, const char* format) {
        tl::tlvplay::Options options;
        options.input = (tl::test::corpus_dir() / stream).string();
        options.renderer = renderer;
        options.grabDirectory = (std::filesystem::temp_directory_path() / "tl-pages-frames").string();
        options.format = format ? tl::tlvplay::FindOutputFormat(format) : nullptr;
        ComPtr<IBaseFilter> base;
        ASSERT_EQ(filter_.As(&base), S_OK);
        const tl::tlvplay::PlayReport report = tl::tlvplay::Play(options, base.Get(), &running_);
        ASSERT_TRUE(report.ok) << report.error;
        ASSERT_TRUE(running_);
    }

    ComPtr<IFilterVideoDecoder> filter_;
    ComPtr<IMediaControl> running_;
};

TEST_F(PropertyPagesTest, PreferencesShowTheFiltersValuesAndAreDirtyWhileAControlDiffers) {
    filter_->put_DXVA(VARIANT_TRUE);
    filter_->put_FrameSkipping(VARIANT_FALSE);
    filter_->put_Deinterlace(DEINTERLACE_SOFTWARE_BOB);
    filter_->put_OutputTypesPriority(tl::com::Bstr(L"RGB32,YUY2").Get());
    filter_->put_AspectRatioX(16);
    filter_->put_AspectRatioY(9);
    PageHost host(__uuidof(FilterVideoDecoder_PPagePref), filter_.Get());
    ASSERT_NE(host.Dialog(), nullptr);
    EXPECT_TRUE(host.Checked(TL_CONTROL_PREF_DXVA));
    EXPECT_FALSE(host.Checked(TL_CONTROL_PREF_FRAME_SKIPPING));
    EXPECT_TRUE(host.Checked(TL_CONTROL_PREF_SSE2));
    EXPECT_EQ(host.Text(TL_CONTROL_PREF_METHOD), L"Software BOB");
    EXPECT_EQ(host.Text(TL_CONTROL_PREF_TYPES_NORMAL), L"RGB32,YUY2");
    EXPECT_EQ(host.Text(TL_CONTROL_PREF_TYPES_DXVA), L"DXVA_Di,DXVA_Bi,DXVA_Ci,DXVA_Ai,DXVA_D,DXVA_B,DXVA_C,DXVA_A");
    EXPECT_EQ(host.Text(TL_CONTROL_PREF_ASPECT), L"16:9");

    // Dirty while a control differs from what was loaded.
    EXPECT_EQ(host.Page()->IsPageDirty(), S_FALSE);
    host.Click(TL_CONTROL_PREF_COLOR_CORRECTION);
    EXPECT_EQ(host.Page()->IsPageDirty(), S_OK);
    host.Type(TL_CONTROL_PREF_ALLOW, L"{x}");
    host.Click(TL_CONTROL_PREF_COLOR_CORRECTION);
    EXPECT_EQ(host.Page()->IsPageDirty(), S_OK);
    host.Type(TL_CONTROL_PREF_ALLOW, L"");
    EXPECT_EQ(host.Page()->IsPageDirty(), S_FALSE);
    // The site hears of each change of state once.
    EXPECT_EQ(host.Statuses(), (std::vector<DWORD>{PROPPAGESTATUS_DIRTY, PROPPAGESTATUS_CLEAN}));
}

TEST_F(PropertyPagesTest, AspectRatioTextSetsOrClearsTheForcedRatio) {
    const std::tuple<const wchar_t*, unsigned, unsigned> cases[] = {  // text, forced ratio X, Y
        {L"221:100", 221, 100}, {L"16:9", 16, 9}, {L"2.21:1", 0, 0}, {L"Auto", 0, 0},  {L"0:9", 0, 0},
        {L"16:", 0, 0},         {L":9", 0, 0},    {L"16:9:1", 0, 0}, {L" 4:3", 0, 0}, {L"99999999999:1", 0, 0},
    };
    for (const auto& [text, x, y] : cases) {
        filter_->put_AspectRatioX(5);
        filter_->put_AspectRatioY(4);
        PageHost host(__uuidof(FilterVideoDecoder_PPagePref), filter_.Get());
        host.Type(TL_CONTROL_PREF_ASPECT, text);
        ASSERT_EQ(host.Page()->Apply(), S_OK);
        unsigned forcedX = 99, forcedY = 99;
        EXPECT_TRUE(filter_->get_AspectRatioX(&forcedX) == S_OK && filter_->get_AspectRatioY(&forcedY) == S_OK);
        EXPECT_EQ(std::make_pair(forcedX, forcedY), std::make_pair(x, y)) << text;
    }
    PageHost host(__uuidof(FilterVideoDecoder_PPagePref), filter_.Get());
    host.Select(TL_CONTROL_PREF_ASPECT, 4);
    EXPECT_EQ(host.Text(TL_CONTROL_PREF_ASPECT), L"221:100");
    EXPECT_EQ(host.Page()->IsPageDirty(), S_OK);
}

TEST_F(PropertyPagesTest, SaveDefaultsWritesTheRegistryAndLeavesThePageClean) {
    PageHost host(__uuidof(FilterVideoDecoder_PPagePref), filter_.Get());
    const bool skipping = host.Checked(TL_CONTROL_PREF_FRAME_SKIPPING);
    host.Click(TL_CONTROL_PREF_FRAME_SKIPPING);
    host.Type(TL_CONTROL_PREF_DENY, L"{B87BEB7B-8D29-423F-AE4D-6582C10175AC}");
    host.Click(TL_CONTROL_PREF_SAVE_DEFAULTS);
    EXPECT_EQ(host.Page()->IsPageDirty(), S_FALSE);
    EXPECT_EQ(tl::test::ReadRaw(HKEY_CURRENT_USER, tl::kSettingsKeyPath, L"bFrameSkipping"),
              tl::test::Dword(skipping ? 0 : 1));
    EXPECT_EQ(tl::test::ReadRaw(HKEY_CURRENT_USER, tl::kSettingsKeyPath, L"szOutputConnectionDenyList"),
              tl::test::Sz(L"{B87BEB7B-8D29-423F-AE4D-6582C10175AC}"));
    host.Click(TL_CONTROL_PREF_FRAME_SKIPPING);
    host.Click(TL_CONTROL_PREF_SAVE_DEFAULTS);
}

TEST_F(PropertyPagesTest, StatisticsBeforeTheStreamStarts) {
    ComPtr<IBaseFilter> base;
    ASSERT_EQ(filter_.As(&base), S_OK);
    ASSERT_EQ(base->Pause(), S_OK);
    PageHost host(__uuidof(FilterVideoDecoder_PPageStat), filter_.Get());
    const std::vector<std::wstring> rows = host.ListRows(TL_CONTROL_STAT_LIST);
    for (const wchar_t* row :
         {L"Video In|Type:{No type}, ConnectedTo:{Not connected}", L"Size|0x0", L"Coded Size|0x0",
          L"Aspect Information|Unknown", L"Chroma Format|Unknown", L"Picture Structure|Unknown", L"FrameNum|0",
          L"GOP Time|00:00:00 (0)", L"Read (bytes)|0", L"Renderer Lateness|0.000 sec", L"Undelivered Frames|0"})
        EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end()) << std::wstring(row) << Joined(rows);
    base->Stop();
}

TEST_F(PropertyPagesTest, StatisticsOfAPlayedStream) {
    ASSERT_NO_FATAL_FAILURE(Play("prog420_cgop.m2v", tl::tlvplay::Renderer::Null, nullptr));
    PageHost host(__uuidof(FilterVideoDecoder_PPageStat), filter_.Get());
    PageHost::Pump(300);
    const std::vector<std::wstring> rows = host.ListRows(TL_CONTROL_STAT_LIST);
    ASSERT_GE(rows.size(), 20u);
    EXPECT_EQ(rows[0].rfind(L"Version:|v", 0), 0u) << rows[0];
    for (const wchar_t* row :
         {L"Video In|Type:{MPEG2_VIDEO}, ConnectedTo:{Source}", L"Video Out|Type:{YUY2}, ConnectedTo:{Renderer}",
          L"Size|352x288", L"Coded Size|352x288", L"Chroma Format|4:2:0", L"FrameNum|36", L"FrameRate|25",
          L"Picture Structure|Frame", L"Progressive Sequence|yes", L"GOP Time|00:00:01 (5)",
          L"GOP Structure|IPBBPB", L"Profile|Main", L"Level|Main", L"Read (bytes)|231.328"})
        EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end()) << std::wstring(row) << Joined(rows);
}

TEST_F(PropertyPagesTest, ProcAmpIsLiveOnRgbAndDisabledOtherwise) {
    const int bars[] = {TL_CONTROL_PROCAMP_BRIGHTNESS, TL_CONTROL_PROCAMP_CONTRAST, TL_CONTROL_PROCAMP_SATURATION};
    for (const auto& [format, live] : {std::make_pair("rgb32", true), std::make_pair("yuy2", false)}) {
        ASSERT_NO_FATAL_FAILURE(Play("prog420_cgop.m2v", tl::tlvplay::Renderer::Grab, format));
        ComPtr<IAMVideoProcAmp> procAmp;
        ASSERT_EQ(filter_.As(&procAmp), S_OK);
        PageHost host(__uuidof(FilterVideoDecoder_PPageProcAmp), filter_.Get());
        for (int bar : bars) EXPECT_EQ(IsWindowEnabled(host.Control(bar)) != FALSE, live) << format;
        if (live) {
            host.Slide(TL_CONTROL_PROCAMP_CONTRAST, -37);
            LONG value = 0, flags = 0;
            EXPECT_TRUE(procAmp->Get(VideoProcAmp_Contrast, &value, &flags) == S_OK && value == -37);
            EXPECT_EQ(host.Text(TL_CONTROL_PROCAMP_CONTRAST_VALUE), L"-37");
            host.Click(TL_CONTROL_PROCAMP_RESET);
            for (LONG property : {VideoProcAmp_Brightness, VideoProcAmp_Contrast, VideoProcAmp_Saturation})
                EXPECT_TRUE(procAmp->Get(property, &value, &flags) == S_OK && value == 0) << property;
            EXPECT_EQ(host.Text(TL_CONTROL_PROCAMP_CONTRAST_VALUE), L"0");
        }
        running_->Stop();
        running_.Reset();
    }
}

TEST_F(PropertyPagesTest, PluginsListsTheVisiblePluginsAndWritesTheirEnableValue) {
    const std::wstring plugins = L"Software\\Kelmarin Systems GmbH\\Video Decoder\\Plugins\\";
    const std::wstring hidden = plugins + L"DeveloperConsole";
    tl::test::WriteRaw(HKEY_CURRENT_USER, hidden, L"CLSID", tl::test::Sz(L"{1f350cf0-c761-4193-9f2b-8cfdf51c2998}"));
    tl::test::WriteRaw(HKEY_CURRENT_USER, hidden, L"bPluginHidden", tl::test::Dword(1));
    const std::wstring infoLayer = plugins + L"InfoLayer";
    ASSERT_EQ(tl::test::ReadRaw(HKEY_CURRENT_USER, infoLayer, L"bPluginEnabled"), tl::test::Dword(0));
    for (const bool enable : {true, false}) {
        PageHost host(__uuidof(FilterVideoDecoder_PPagePlugins), filter_.Get());
        const std::vector<std::wstring> rows = host.ListRows(TL_CONTROL_PLUGINS_LIST);
        const std::wstring row = enable ? L"InfoLayer|no|100|{1F350CF1-C761-4193-9F2B-8CFDF51C2998}"
                                        : L"InfoLayer|yes|100|{1F350CF1-C761-4193-9F2B-8CFDF51C2998}";
        ASSERT_EQ(rows, std::vector<std::wstring>{row}) << Joined(rows);
        EXPECT_FALSE(IsWindowEnabled(host.Control(TL_CONTROL_PLUGINS_ENABLE)));
        host.SelectRow(TL_CONTROL_PLUGINS_LIST, 0);
        EXPECT_TRUE(IsWindowEnabled(host.Control(TL_CONTROL_PLUGINS_ENABLE)));
        EXPECT_EQ(host.Checked(TL_CONTROL_PLUGINS_ENABLE), !enable);
        host.Click(TL_CONTROL_PLUGINS_ENABLE);
        EXPECT_EQ(host.ListRows(TL_CONTROL_PLUGINS_LIST)[0].find(enable ? L"|yes|" : L"|no|"), 9u);
        EXPECT_EQ(host.Page()->IsPageDirty(), S_OK);
        ASSERT_EQ(host.Page()->Apply(), S_OK);
        EXPECT_EQ(tl::test::ReadRaw(HKEY_CURRENT_USER, infoLayer, L"bPluginEnabled"), tl::test::Dword(enable ? 1 : 0));
    }
    tl::test::DeleteKeyTree(HKEY_CURRENT_USER, hidden);
}

std::vector<WPARAM> linkParentCommands;

LRESULT CALLBACK LinkParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) linkParentCommands.push_back(wParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

// A click on the text and Enter each reach the parent of a notifying link as
// STN_CLICKED (opening a browser instead would fail the test run's display).
TEST(Hyperlink, NotifyingStaticLeavesActivationToItsParent) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = LinkParentProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"tlLinkParent";
    RegisterClassW(&windowClass);
    const HWND parent = CreateWindowW(L"tlLinkParent", L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 100, nullptr, nullptr,
                                      windowClass.hInstance, nullptr);
    const HWND link = CreateWindowW(L"STATIC", L"www.example.com", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 0, 0, 200, 20,
                                    parent, reinterpret_cast<HMENU>(42), windowClass.hInstance, nullptr);
    ASSERT_TRUE(parent && link);
    tl::AttachHyperlink(link, L"https://www.example.com/");
    SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(3, 5));
    SendMessageW(link, WM_KEYDOWN, VK_RETURN, 0);
    const WPARAM clicked = MAKEWPARAM(42, STN_CLICKED);
    EXPECT_EQ(linkParentCommands, (std::vector<WPARAM>{clicked, clicked}));
    DestroyWindow(parent);
}

}  // namespace
