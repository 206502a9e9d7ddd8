// The plug-in host with a plug-in module of the tests' own (plugin/test_plugin.h)
// registered in the prefix: the registry list read, sorted and skipped by its
// rules, plug-ins loaded on joining a graph and finalised in reverse order on
// leaving, and a plug-in with IDispatch made a member of the filter.
#include <gtest/gtest.h>

#include <FilterVideoDecoder.h>

#include <dshow.h>
#include <dispex.h>

#include <optional>
#include <string>
#include <vector>

#include "filter/com/bstr.h"
#include "filter/com/com_ptr.h"
#include "filter/com/variant.h"
#include "filter/plugins/host/plugin_list.h"
#include "plugin/test_plugin.h"
#include "registered_module.h"
#include "registry_helpers.h"

namespace {

using tl::com::Bstr;
using tl::com::ComPtr;
using tl::test::Dword;
using tl::test::RawValue;
using tl::test::Sz;

const std::wstring kTestPluginClass = std::wstring(L"CLSID\\") + kClsidTestPluginText;

// The filter module and the test plug-in module, both registered for the suite.
class PluginHostTest : public tl::test::RegisteredModuleTest {
protected:
    static void SetUpTestSuite() {
        RegisteredModuleSuite::SetUpTestSuite();
        const std::wstring plugin = tl::test::BesideTest(L"tltestplugin.dll");
        pluginModule_ = LoadLibraryW(plugin.c_str());
        tl::test::WriteRaw(HKEY_CLASSES_ROOT, kTestPluginClass + L"\\InprocServer32", nullptr, Sz(plugin));
        tl::test::WriteRaw(HKEY_CLASSES_ROOT, kTestPluginClass + L"\\InprocServer32", L"ThreadingModel", Sz(L"Both"));
    }
    static void TearDownTestSuite() {
        tl::test::DeleteKeyTree(HKEY_CLASSES_ROOT, kTestPluginClass);
        RegisteredModuleSuite::TearDownTestSuite();
    }

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(RegisteredModuleSuite::SetUp());
        ASSERT_NE(pluginModule_, nullptr) << "tltestplugin.dll beside the test";
        tl::test::DeleteKeyTree(HKEY_CURRENT_USER, tl::kPluginsKeyPath);
        TakeLog();
    }
    void TearDown() override { tl::test::DeleteKeyTree(HKEY_CURRENT_USER, tl::kPluginsKeyPath); }

    static std::wstring TakeLog() {
        return tl::test::ExportOf<TestPluginTakeLogFn>(pluginModule_, "TestPluginTakeLog")();
    }

    static inline HMODULE pluginModule_ = nullptr;
};

// The plug-in's name as its IDispatch answers it through the filter's member,
// or an empty string when the filter has no such member.
std::wstring MemberName(IDispatchEx* filter, const wchar_t* member) {
    DISPID id = 0;
    if (filter->GetDispID(Bstr(member).Get(), 0, &id) != S_OK) return {};
    tl::com::Variant value, name;
    DISPPARAMS none{};
    if (filter->InvokeEx(id, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value.Out(), nullptr, nullptr) != S_OK ||
        value.Type() != VT_DISPATCH)
        return L"?";
    value.Get().pdispVal->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, name.Out(),
                                 nullptr, nullptr);
    return name.Type() == VT_BSTR ? tl::com::ToString(name.Get().bstrVal) : L"?";
}

// One registry list covering every rule. Subkeys enumerate in name order.
TEST_F(PluginHostTest, OrderingAndSkippingRules) {
    const RawValue plugin = Sz(kClsidTestPluginText);
    const RawValue unregistered = Sz(L"{5B0E6C2A-8F1D-4A37-B2C4-7D9E0F1A3C56}");
    // Each subkey with its values.
    const std::vector<std::pair<const wchar_t*, std::vector<std::pair<const wchar_t*, RawValue>>>> rows = {
        {L"Alpha", {{L"CLSID", plugin}, {L"bDispatch", Dword(1)}}},                   // priority 100 by default
        {L"Beta", {{L"CLSID", plugin}, {L"dwPluginPriority", Dword(50)}}},            // loads first
        {L"Delta", {{L"CLSID", plugin}, {L"bPluginEnabled", Sz(L"0")}}},              // a string: enabled stands
        {L"Epsilon", {{L"CLSID", Sz(L"5B0E6C2A-8F1D-4A37-B2C4-7D9E0F1A3C55")}}},    // no braces: not listed
        {L"Eta", {{L"CLSID", unregistered}}},                                          // listed, cannot be created
        {L"Gamma", {{L"CLSID", plugin}, {L"dwPluginPriority", Dword(60)}, {L"dwInitResult", Dword(S_FALSE)}}},
        {L"Iota", {{L"CLSID", plugin}, {L"dwPluginPriority", Sz(L"1")}}},             // a string: 100 stands
        {L"Kappa", {{L"CLSID", plugin}, {L"dwPluginPriority", Dword(0x80000000u)}}},  // unsigned: last
        {L"Theta", {{L"bPluginEnabled", Dword(1)}}},                                   // no CLSID: not listed
        {L"Zeta", {{L"CLSID", plugin}, {L"bPluginEnabled", Dword(0)}, {L"bPluginHidden", Dword(1)}}},
    };
    for (const auto& [row, values] : rows)
        for (const auto& [name, value] : values)
            tl::test::WriteRaw(HKEY_CURRENT_USER, std::wstring(tl::kPluginsKeyPath) + L"\\" + row, name, value);

    // The list as the Plugins property page reads it: load order, flags, nothing written.
    std::wstring listed;
    for (const tl::PluginRecord& r : tl::ReadPluginList())
        listed += r.name + L"(" + std::to_wstring(r.priority) + (r.enabled ? L"" : L",off") +
                  (r.hidden ? L",hidden" : L"") + L") ";
    EXPECT_EQ(listed, L"Beta(50) Gamma(60) Alpha(100) Delta(100) Eta(100) Iota(100) Zeta(100,off,hidden) "
                      L"Kappa(2147483648) ");
    EXPECT_EQ(tl::test::CountValues(HKEY_CURRENT_USER, std::wstring(tl::kPluginsKeyPath) + L"\\Alpha"), 2);

    const ComPtr<IGraphBuilder> graph = tl::test::Instance<IGraphBuilder>(CLSID_FilterGraph),
                                second = tl::test::Instance<IGraphBuilder>(CLSID_FilterGraph);
    const ComPtr<IBaseFilter> filter = tl::test::Instance<IBaseFilter>(__uuidof(FilterVideoDecoder));
    ASSERT_TRUE(graph && second && filter);
    ComPtr<IDispatchEx> members;
    ASSERT_EQ(filter.As(&members), S_OK);
    EXPECT_EQ(TakeLog(), L"") << "nothing loads outside a graph";

    ASSERT_EQ(graph->AddFilter(filter.Get(), L"decoder"), S_OK);
    EXPECT_EQ(TakeLog(), L"Init:Beta Init:Gamma Gone:Gamma Init:Alpha Init:Delta Init:Iota Init:Kappa")
        << "S_FALSE from Init releases the plug-in at once";
    EXPECT_EQ(MemberName(members.Get(), L"Alpha"), L"Alpha") << "a plug-in with IDispatch is a member";
    EXPECT_EQ(MemberName(members.Get(), L"Beta"), L"") << "one without is not";

    // A second graph without leaving the first: the listed names are not read
    // again, each enabled entry gets a new plug-in in place of the one it held.
    ASSERT_EQ(filter->JoinFilterGraph(second.Get(), L"again"), S_OK);
    EXPECT_EQ(TakeLog(), L"Init:Beta Gone:Beta Init:Gamma Gone:Gamma Init:Alpha Gone:Alpha Init:Delta Gone:Delta "
                         L"Init:Iota Gone:Iota Init:Kappa Gone:Kappa");
    EXPECT_EQ(MemberName(members.Get(), L"Alpha"), L"Alpha");

    ASSERT_EQ(graph->RemoveFilter(filter.Get()), S_OK);
    EXPECT_EQ(TakeLog(), L"Finit:Kappa Gone:Kappa Finit:Iota Gone:Iota Finit:Delta Gone:Delta Finit:Alpha "
                         L"Gone:Alpha Finit:Beta Gone:Beta")
        << "finalised once each, in reverse order";
    EXPECT_EQ(MemberName(members.Get(), L"Alpha"), L"");
}

}  // namespace
