#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "filter/com/bstr.h"
#include "filter/settings/filter_settings.h"
#include "filter/settings/setting_properties.h"
#include "registry_helpers.h"

namespace {

using namespace tl::test;

const std::wstring kKey = tl::kSettingsKeyPath;

const tl::SettingDescriptor& Setting(const wchar_t* name) {
    for (const tl::SettingDescriptor& setting : tl::kSettings) {
        if (std::wstring_view(setting.registryName) == name) return setting;
    }
    throw std::invalid_argument("no such setting");
}

class SettingsRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteKeyTree(HKEY_CURRENT_USER, kKey); }
    void TearDown() override { DeleteKeyTree(HKEY_CURRENT_USER, kKey); }

    static std::optional<RawValue> Stored(const wchar_t* name) { return ReadRaw(HKEY_CURRENT_USER, kKey, name); }
};

// The names and defaults are the settings table's own; here only that a first
// load writes every one of them, each with its type.
TEST_F(SettingsRegistryTest, FirstLoadCreatesTheKeyWithEveryDefault) {
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kKey));
    tl::FilterSettings settings;
    tl::ResetToDefaults(settings);
    tl::LoadSettings(settings);
    EXPECT_EQ(CountValues(HKEY_CURRENT_USER, kKey), static_cast<int>(tl::kSettingCount));
    EXPECT_EQ(Stored(L"dwDeliverBufferCount"), Dword(2));
    EXPECT_EQ(Stored(L"szOutputConnectionDenyList"), Sz(L""));
    EXPECT_EQ(settings.eDeinterlace.Get(), tl::DEINTERLACE_AUTO);
}

TEST_F(SettingsRegistryTest, LoadTakesValidValuesAndRewritesInvalidOnes) {
    const std::wstring longest(511, L'x');
    const std::wstring tooLong(512, L'x');
    const std::wstring hwDefault =
        L"YUY2i,UYVYi,YV12i,YUY2,UYVY,YV12,RGB32i,RGB24i,RGB565i,RGB555i,RGB32,RGB24,RGB565,RGB555";
    const std::wstring dxvaDefault = L"DXVA_Di,DXVA_Bi,DXVA_Ci,DXVA_Ai,DXVA_D,DXVA_B,DXVA_C,DXVA_A";
    // what, the value's name and what is stored; the field (numbers in decimal) and the registry afterwards
    const std::vector<std::tuple<const char*, const wchar_t*, RawValue, std::wstring, RawValue>> cases = {
        {"REG_SZ under a DWORD value is rewritten", L"dwDeliverBufferCount", Sz(L"5"), L"2", Dword(2)},
        {"boolean DWORD 7 loads as true", L"bDirectXVA", Dword(7), L"1", Dword(7)},
        {"boolean DWORD 0 loads as false", L"bFrameSkipping", Dword(0), L"0", Dword(0)},
        {"enumeration is not range checked", L"eDeinterlace", Dword(9), L"9", Dword(9)},
        {"signed field keeps all 32 bits", L"nDefaultHeight", Dword(0xFFFFFFFF), L"4294967295", Dword(0xFFFFFFFF)},
        {"REG_BINARY under a DWORD value", L"nDefaultWidth", Raw(REG_BINARY, DwordBytes(1000)), L"720", Dword(720)},
        {"REG_QWORD is too large", L"dwFrameSkippingTolerance", Raw(REG_QWORD, std::vector<BYTE>(8, 1)), L"500",
         Dword(500)},
        {"big-endian DWORD is another type", L"dwDXVAMaxNumSurfaces", Raw(REG_DWORD_BIG_ENDIAN, DwordBytes(4)), L"8",
         Dword(8)},
        {"empty string stays empty", L"szOutTypesPriority", Sz(L""), L"", Sz(L"")},
        {"zero-byte string is empty", L"szOutTypesPriority", Raw(REG_SZ, {}), L"", Raw(REG_SZ, {})},
        {"511 characters are taken", L"szOutputConnectionDenyList", Sz(longest), longest, Sz(longest)},
        {"512 characters are replaced by the default", L"szOutputConnectionDenyList", Sz(tooLong), L"", Sz(L"")},
        {"REG_EXPAND_SZ is taken literally", L"szOutputConnectionAllowList",
         Raw(REG_EXPAND_SZ, WideBytes(L"%SystemRoot%\\x")), L"%SystemRoot%\\x",
         Raw(REG_EXPAND_SZ, WideBytes(L"%SystemRoot%\\x"))},
        {"string without its NUL", L"szOutTypesPriorityDXVA", Raw(REG_SZ, WideBytes(L"DXVA_A", false)), dxvaDefault,
         Sz(dxvaDefault)},
        {"odd byte count", L"szOutTypesPriorityHW", Raw(REG_SZ, {'Y', 0, 0}), hwDefault, Sz(hwDefault)},
        {"REG_MULTI_SZ is another type", L"szOutTypesPriorityHW", Raw(REG_MULTI_SZ, WideBytes(L"RGB32\0", true)),
         hwDefault, Sz(hwDefault)},
        {"DWORD under a string value", L"szOutputConnectionAllowList", Dword(3), L"", Sz(L"")},
    };
    for (const auto& [what, name, stored, field, after] : cases) {
        SCOPED_TRACE(what);
        DeleteKeyTree(HKEY_CURRENT_USER, kKey);
        WriteRaw(HKEY_CURRENT_USER, kKey, name, stored);

        tl::FilterSettings settings;
        tl::ResetToDefaults(settings);
        tl::LoadSettings(settings);

        const tl::SettingDescriptor& setting = Setting(name);
        EXPECT_EQ(tl::IsStringSetting(setting) ? tl::GetSettingString(settings, setting)
                                               : std::to_wstring(tl::GetSettingNumber(settings, setting)),
                  field);
        EXPECT_EQ(Stored(name), after);
        EXPECT_EQ(CountValues(HKEY_CURRENT_USER, kKey), static_cast<int>(tl::kSettingCount));
    }
}

TEST_F(SettingsRegistryTest, SaveCreatesAMissingKeyAndRoundTrips) {
    tl::FilterSettings saved;
    tl::ResetToDefaults(saved);
    saved.dwDeliverBufferCount.Set(5);
    saved.bColorCorrection.Set(true);
    saved.bCPUFeatureSSE2.Set(false);
    saved.nDefaultWidth.Set(-16);
    saved.eDeinterlace.Set(tl::DEINTERLACE_SOFTWARE_BOB);
    saved.nAspectRatioX.Set(16);
    saved.nAspectRatioY.Set(9);
    saved.szOutTypesPriority.Set(L"RGB32");
    saved.szOutputConnectionDenyList.Set(L"{00000000-0000-0000-0000-000000000001}");
    tl::SaveSettings(saved);

    EXPECT_EQ(CountValues(HKEY_CURRENT_USER, kKey), static_cast<int>(tl::kSettingCount));
    EXPECT_EQ(Stored(L"szOutTypesPriority"), Sz(L"RGB32")) << "REG_SZ with the NUL counted";
    EXPECT_EQ(Stored(L"bColorCorrection"), Dword(1));
    EXPECT_EQ(Stored(L"nDefaultWidth"), Dword(0xFFFFFFF0));

    tl::FilterSettings loaded;
    tl::ResetToDefaults(loaded);
    tl::LoadSettings(loaded);
    for (const tl::SettingDescriptor& setting : tl::kSettings) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(setting.registryName)));
        EXPECT_EQ(tl::GetSettingNumber(loaded, setting), tl::GetSettingNumber(saved, setting));
        EXPECT_EQ(tl::GetSettingString(loaded, setting), tl::GetSettingString(saved, setting));
    }
}

TEST(SettingPropertiesTest, BooleansFollowTheAutomationConvention) {
    const std::tuple<VARIANT_BOOL, bool, VARIANT_BOOL> cases[] = {  // put, stored, read back
        {VARIANT_TRUE, true, VARIANT_TRUE},
        {1, false, VARIANT_FALSE},
        {VARIANT_FALSE, false, VARIANT_FALSE},
        {static_cast<VARIANT_BOOL>(0x7FFF), false, VARIANT_FALSE},
    };
    for (const auto& [put, stored, expected] : cases) {
        tl::SettingValue<bool> field;
        field.Set(!stored);
        tl::PutBoolProperty(field, put);
        VARIANT_BOOL got = 5;
        EXPECT_EQ(tl::GetBoolProperty(field, &got), S_OK);
        EXPECT_EQ(std::make_pair(field.Get(), got), std::make_pair(stored, expected)) << put;
    }
    tl::SettingValue<bool> field;
    EXPECT_EQ(tl::GetBoolProperty(field, nullptr), E_POINTER);
}

TEST(SettingPropertiesTest, StringsAreCopiedInAndOut) {
    tl::SettingString field;
    BSTR out = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(tl::GetStringProperty(field, &out), S_OK);
    EXPECT_EQ(out, nullptr) << "an empty field gives a null BSTR";
    EXPECT_EQ(tl::GetStringProperty(field, nullptr), E_POINTER);

    tl::com::Bstr withNul(std::wstring_view(L"YV12\0RGB32", 10));
    EXPECT_EQ(tl::PutStringProperty(field, withNul.Get()), S_OK);
    EXPECT_EQ(*field.Get(), L"YV12") << "stored up to the first NUL";
    ASSERT_EQ(tl::GetStringProperty(field, &out), S_OK);
    EXPECT_EQ(tl::com::Bstr::Attach(out).View(), L"YV12");

    const auto held = field.Get();
    EXPECT_EQ(tl::PutStringProperty(field, nullptr), S_OK);
    EXPECT_EQ(*field.Get(), L"");
    EXPECT_EQ(*held, L"YV12") << "a reader keeps the text it took";
}

}  // namespace
