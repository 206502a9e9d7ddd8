// The information overlay's parts that need no graph: its number forms, its
// settings in the registry and the two-second rule of its data rate.
#include <gtest/gtest.h>

#include <dshow.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

#include "filter/plugins/info_layer/info_layer_settings.h"
#include "filter/plugins/info_layer/info_report.h"
#include "filter/plugins/info_layer/number_forms.h"
#include "filter/property_pages/number_text.h"
#include "registry_helpers.h"

namespace {

using tl::test::Dword;
using tl::test::RawValue;
using tl::test::Sz;

// The forms' edges; the common values show in the played stream's report (graph_test).
TEST(InfoLayerNumbers, Forms) {
    const std::pair<std::wstring, const wchar_t*> cases[] = {
        {tl::GroupedInteger(999), L"999"},
        {tl::GroupedInteger(1000), L"1.000"},
        {tl::GroupedInteger(1002003004), L"1.002.003.004"},
        {tl::GroupedInteger(-45000), L"-45.000"},
        {tl::DecimalForm(30000.0 / 1001.0), L"29.970"},
        {tl::DecimalForm(24000.0 / 1001.0), L"23.976"},
        {tl::DecimalForm(0.0004), L"0"},
        {tl::DecimalForm(0.0005), L"0.001"},
        {tl::DecimalForm(12.9996), L"13"},
        {tl::DecimalForm(-2.5), L"-2.500"},
        {tl::DurationForm(-15000000), L"-1.500 sec"},
        {tl::DurationForm(9999), L"0.000 sec"},
        {tl::DurationForm(600000000), L"1 mins 0.000 sec"},
        {tl::DurationForm(36000000000 + 10000), L"1 hrs 0.001 sec"},
        {tl::DurationForm(2 * 864000000000 + 3 * 36000000000 + 4 * 600000000LL + 56789 * 10000LL),
         L"2 days 3 hrs 4 mins 56.789 sec"},
        // The statistics page's forms: its own minus sign, whole units left out.
        {tl::DurationForm(-150000, L"- "), L"- 0.015 sec"},
        {tl::DurationForm(864000000000 + 1200000000, L"- "), L"1 days 2 mins 0.000 sec"},
        {tl::FrameRateText(30000 / 1001.0), L"29.97"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(text, expected);
}

// Rates in bytes per second after each (time, bytes) report.
TEST(InfoLayerNumbers, ByteRateIsMeasuredOverTwoSeconds) {
    constexpr std::int64_t s = 10000000;
    const std::array<std::int64_t, 3> steps[] = {  // now, bytes, the rate then
        {100 * s, 5000, 0},          // the reference
        {101 * s, 900000, 0},        // under 2 s: the last rate again
        {102 * s, 1005000, 500000},  // 1,000,000 bytes over 2 s
        {103 * s, 2000000, 500000},
        {104 * s + s / 2, 2005000, 400000},  // 1,000,000 bytes over 2.5 s
        {107 * s, 2005000, 0},
    };
    tl::ByteRate rate;
    for (const auto& [now, bytes, expected] : steps) EXPECT_EQ(rate.Update(now, bytes), expected) << now / s;
}

TEST(InfoLayerSettings, ReadWithDefaultsWrittenBack) {
    const std::wstring key = L"Software\\Tarvello Tests\\InfoLayer";
    const auto at = [&](const wchar_t* name) { return tl::test::ReadRaw(HKEY_CURRENT_USER, key, name); };
    using Values = std::vector<std::pair<const wchar_t*, RawValue>>;
    // what, the values stored; the viewport, refresh period and font read, and the left corner the registry
    // holds afterwards (it keeps the corners as they were)
    const std::tuple<const char*, Values, RECT, std::uint32_t, const wchar_t*, std::uint32_t> cases[] = {
        {"empty key: defaults", {}, {16, 16, 400, 214}, 300, L"Arial", 16},
        {"values taken",
         {{L"dwViewPortLeft", Dword(0)}, {L"dwViewPortTop", Dword(4)}, {L"dwViewPortRight", Dword(200)},
          {L"dwViewPortBottom", Dword(50)}, {L"dwRefreshTimeout", Dword(1000)}, {L"szFontName", Sz(L"Tahoma")}},
         {0, 4, 200, 50}, 1000, L"Tahoma", 0},
        {"reversed corners are swapped", {{L"dwViewPortLeft", Dword(500)}, {L"dwViewPortRight", Dword(100)}},
         {100, 16, 500, 214}, 300, L"Arial", 500},
        {"empty viewport grows to 2 x 2",
         {{L"dwViewPortLeft", Dword(50)}, {L"dwViewPortRight", Dword(50)}, {L"dwViewPortTop", Dword(7)},
          {L"dwViewPortBottom", Dword(8)}},
         {50, 7, 52, 9}, 300, L"Arial", 50},
        {"wrong types: defaults", {{L"dwRefreshTimeout", Sz(L"1000")}, {L"szFontName", Dword(1)}},
         {16, 16, 400, 214}, 300, L"Arial", 16},
    };
    for (const auto& [what, stored, viewport, refreshMs, font, storedLeft] : cases) {
        SCOPED_TRACE(what);
        tl::test::DeleteKeyTree(HKEY_CURRENT_USER, key);
        tl::test::WriteRaw(HKEY_CURRENT_USER, key, L"unrelated", Dword(7));
        for (const auto& [name, value] : stored) tl::test::WriteRaw(HKEY_CURRENT_USER, key, name, value);
        const tl::InfoLayerSettings got = tl::LoadInfoLayerSettings(HKEY_CURRENT_USER, key);
        const RECT& v = got.viewport;
        EXPECT_EQ(std::make_tuple(v.left, v.top, v.right, v.bottom, got.refreshMs, got.fontName),
                  std::make_tuple(viewport.left, viewport.top, viewport.right, viewport.bottom, refreshMs,
                                  std::wstring(font)));
        EXPECT_EQ(std::make_tuple(got.backgroundColor, got.foregroundColor, got.fontHeight, got.fontWeight,
                                  got.fontQuality),
                  std::make_tuple(0x30000000u, 0xD0F0F0F0u, 14, 400, ANTIALIASED_QUALITY));
        // Every value now stored with its type.
        EXPECT_EQ(tl::test::CountValues(HKEY_CURRENT_USER, key), 13);
        EXPECT_EQ(std::make_tuple(at(L"dwViewPortLeft"), at(L"dwRefreshTimeout"), at(L"szFontName"),
                                  at(L"nFontQuality")),
                  std::make_tuple(Dword(storedLeft), Dword(refreshMs), Sz(font), Dword(ANTIALIASED_QUALITY)));
    }

    tl::test::DeleteKeyTree(HKEY_CURRENT_USER, key);
    const tl::InfoLayerSettings missing = tl::LoadInfoLayerSettings(HKEY_CURRENT_USER, key);
    EXPECT_EQ(missing.viewport.right, 400);
    EXPECT_FALSE(tl::test::KeyExists(HKEY_CURRENT_USER, key)) << "a key that does not open stays absent";
    tl::test::DeleteKeyTree(HKEY_CURRENT_USER, L"Software\\Tarvello Tests");
}

}  // namespace
