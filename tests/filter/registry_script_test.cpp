#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filter/module/registry_script.h"
#include "registry_helpers.h"

namespace {

using tl::test::Dword;
using tl::test::KeyExists;
using tl::test::ReadRaw;
using tl::test::Sz;

const std::wstring kRoot = L"Software\\Tarvello Registrar Test";

const wchar_t kScript[] = LR"(
HKCU
{
    NoRemove Software
    {
        NoRemove 'Tarvello Registrar Test'
        {
            Plain = s 'It''s %MODULE%'
            {
                val Count = d 42
                val Hex = d '0x10'
                Child
            }
            ForceRemove Forced = d 7
            {
                Inner
            }
            NoRemove Kept
            {
                val Named = s '100%%'
            }
        }
    }
}
)";

const tl::ScriptVariables kVariables = {{L"MODULE", L"C:\\x.ax"}, {L"FILTER_NAME", L"F"}};

class RegistryScriptTest : public ::testing::Test {
protected:
    void SetUp() override { tl::test::DeleteKeyTree(HKEY_CURRENT_USER, kRoot); }
    void TearDown() override { tl::test::DeleteKeyTree(HKEY_CURRENT_USER, kRoot); }

    static bool Exists(const std::wstring& sub) { return KeyExists(HKEY_CURRENT_USER, kRoot + sub); }
    static std::optional<tl::test::RawValue> Value(const std::wstring& sub, const wchar_t* name) {
        return ReadRaw(HKEY_CURRENT_USER, kRoot + sub, name);
    }
};

TEST_F(RegistryScriptTest, RegisterCreatesKeysAndValues) {
    tl::test::WriteRaw(HKEY_CURRENT_USER, kRoot + L"\\Forced\\Stray", L"x", Dword(1));
    tl::test::WriteRaw(HKEY_CURRENT_USER, kRoot + L"\\Kept", L"Foreign", Dword(1));
    ASSERT_EQ(tl::ApplyRegistryScript(kScript, kVariables, true), S_OK);

    EXPECT_EQ(Value(L"\\Plain", nullptr), Sz(L"It's C:\\x.ax"));
    EXPECT_EQ(Value(L"\\Plain", L"Count"), Dword(42));
    EXPECT_EQ(Value(L"\\Plain", L"Hex"), Dword(16));
    EXPECT_TRUE(Exists(L"\\Plain\\Child"));
    EXPECT_EQ(Value(L"\\Forced", nullptr), Dword(7));
    EXPECT_TRUE(Exists(L"\\Forced\\Inner"));
    EXPECT_FALSE(Exists(L"\\Forced\\Stray")) << "a ForceRemove key is replaced whole";
    EXPECT_EQ(Value(L"\\Kept", L"Named"), Sz(L"100%"));
    EXPECT_EQ(Value(L"\\Kept", L"Foreign"), Dword(1));
}

TEST_F(RegistryScriptTest, UnregisterRemovesOnlyWhatTheScriptOwns) {
    ASSERT_EQ(tl::ApplyRegistryScript(kScript, kVariables, true), S_OK);
    tl::test::WriteRaw(HKEY_CURRENT_USER, kRoot + L"\\Forced\\Inner\\Deep", L"x", Dword(1));
    tl::test::WriteRaw(HKEY_CURRENT_USER, kRoot + L"\\Kept", L"Foreign", Dword(1));
    ASSERT_EQ(tl::ApplyRegistryScript(kScript, kVariables, false), S_OK);

    EXPECT_TRUE(Exists(L"")) << "NoRemove keys stay";
    EXPECT_FALSE(Exists(L"\\Plain"));
    EXPECT_FALSE(Exists(L"\\Forced")) << "ForceRemove goes with everything below it";
    EXPECT_TRUE(Exists(L"\\Kept"));
    EXPECT_FALSE(Value(L"\\Kept", L"Named").has_value());
    EXPECT_EQ(Value(L"\\Kept", L"Foreign"), Dword(1));

    EXPECT_EQ(tl::ApplyRegistryScript(kScript, kVariables, false), S_OK) << "unregistering twice is harmless";
}

}  // namespace
