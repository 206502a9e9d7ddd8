// The module as regsvr32 and COM load it: its class objects and unloading, what
// registration writes, that unregistration leaves the registry exactly as it was
// found, and the registry scripts registration runs.
#include <gtest/gtest.h>

#include <FilterVideoDecoder.h>

#include <cctype>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "filter/com/com_ptr.h"
#include "filter/com/variant.h"
#include "filter/module/registry_script.h"
#include "filter/settings/filter_settings.h"
#include "registered_module.h"
#include "registry_helpers.h"

namespace {

using tl::com::ComPtr;
using tl::test::Dword;
using tl::test::KeyExists;
using tl::test::ReadRaw;
using tl::test::Sz;

const wchar_t kH264ProgId[] = L"Tarvello.VideoDecoderH264";
const std::wstring kUserKey = tl::kSettingsKeyPath;

// The module under test, loaded the way regsvr32 loads it.
class ModuleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
    static void TearDownTestSuite() { CoUninitialize(); }
    void SetUp() override {
        ASSERT_NE(tl::test::FilterModule(), nullptr) << "tlVideoDecoder.ax beside the test";
        tl::test::DeleteKeyTree(HKEY_CURRENT_USER, kUserKey);
    }
    void TearDown() override {
        Call("DllUnregisterServer");
        tl::test::DeleteKeyTree(HKEY_CURRENT_USER, kUserKey);
    }

    static HRESULT Call(const char* name) { return tl::test::CallFilterExport(name); }
    static HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
        using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        return tl::test::ExportOf<GetClassObjectFn>(tl::test::FilterModule(), "DllGetClassObject")(clsid, riid, ppv);
    }

    static inline const std::wstring path_ = tl::test::BesideTest(L"tlVideoDecoder.ax");
};

TEST_F(ModuleTest, ClassObjectsAndUnloading) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(GetClassObject(__uuidof(ILayerMessageSink), IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE)
        << "an identifier that names no class";
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(Call("DllCanUnloadNow"), S_OK);

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(GetClassObject(__uuidof(VideoDecoderH264), IID_IClassFactory, factory.OutVoid()), S_OK);
    EXPECT_EQ(Call("DllCanUnloadNow"), S_FALSE);

    ComPtr<IUnknown> outer;
    ASSERT_EQ(factory->QueryInterface(IID_IUnknown, outer.OutVoid()), S_OK);
    EXPECT_EQ(factory->CreateInstance(outer.Get(), IID_IUnknown, reinterpret_cast<void**>(&out)),
              CLASS_E_NOAGGREGATION);
    outer.Reset();

    ComPtr<IVideoDecoderH264> decoder;
    ASSERT_EQ(factory->CreateInstance(nullptr, __uuidof(IVideoDecoderH264), decoder.OutVoid()), S_OK);
    factory.Reset();
    EXPECT_EQ(Call("DllCanUnloadNow"), S_FALSE) << "a live object keeps the module";

    decoder.Reset();
    EXPECT_EQ(Call("DllCanUnloadNow"), S_OK);
}

TEST_F(ModuleTest, RegistrationListsThePluginsWritesUserValuesAndTheClassWorksThroughAutomation) {
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);

    // The classes, ProgIDs and type library are decided by their use through COM
    // at the end and in the graph tests; first what only the registry shows: the
    // built-in plug-ins, listed but disabled, and the module's own values.
    for (const auto& [name, clsid, hidden, priority] :
         {std::make_tuple(L"DeveloperConsole", L"{1f350cf0-c761-4193-9f2b-8cfdf51c2998}", 1u, 10u),
          std::make_tuple(L"InfoLayer", L"{1f350cf1-c761-4193-9f2b-8cfdf51c2998}", 0u, 100u)}) {
        const std::wstring key = kUserKey + L"\\Plugins\\" + name;
        const auto at = [&key](const wchar_t* value) { return ReadRaw(HKEY_CURRENT_USER, key, value); };
        EXPECT_EQ(ReadRaw(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32", nullptr),
                  Sz(path_));
        EXPECT_EQ(std::make_tuple(at(L"CLSID"), at(L"bPluginEnabled"), at(L"bPluginHidden"), at(L"dwPluginPriority")),
                  std::make_tuple(Sz(clsid), Dword(0), Dword(hidden), Dword(priority)))
            << name;
    }

    EXPECT_EQ(tl::test::CountValues(HKEY_CURRENT_USER, kUserKey), 2) << "settings appear only with a filter";
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kUserKey, L"modulePath"), Sz(path_));
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kUserKey, L"moduleVersion"),
              Sz(L"v1.0.0.0, Release(Unicode), assembled on Oct 12 2006"));

    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(kH264ProgId, &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, __uuidof(VideoDecoderH264)));

    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, dispatch.OutVoid()), S_OK);
    UINT count = 0;
    EXPECT_TRUE(dispatch->GetTypeInfoCount(&count) == S_OK && count == 1);

    std::wstring name = L"value";
    LPOLESTR names[] = {name.data()};
    DISPID id = 99;
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, DISPID_VALUE);

    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    tl::com::Variant result;
    ASSERT_EQ(dispatch->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result.Out(),
                               nullptr, nullptr),
              S_OK);
    ASSERT_EQ(result.Type(), VT_BSTR);
    EXPECT_STREQ(result.Get().bstrVal, L"H264 Decoder");
    EXPECT_EQ(dispatch->Invoke(0x60020001, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result.Out(),
                               nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

// Registration and unregistration as regsvr32 and regsvr32 /u run them: after
// both, the classes, the user's keys and the filter mapper's entries are exactly
// as they were before, down to every value.
// Every key below root\path as a line, and every value as a line with its type and data.
void Collect(HKEY root, const std::wstring& path, std::set<std::wstring>& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    out.insert(path);
    std::vector<std::wstring> children;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = DWORD(std::size(name));
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        children.push_back(name);
    }
    std::vector<BYTE> data(1 << 16);
    for (DWORD i = 0;; ++i) {
        DWORD length = DWORD(std::size(name)), type = 0, size = DWORD(data.size());
        if (RegEnumValueW(key, i, name, &length, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        std::wstring line = path + L" : " + name + L" = " + std::to_wstring(type) + L":";
        for (DWORD b = 0; b < size; ++b) line += L"0123456789abcdef"[data[b] >> 4], line += L"0123456789abcdef"[data[b] & 15];
        out.insert(line);
    }
    RegCloseKey(key);
    for (const std::wstring& child : children) {
        // Wine keeps its own state there (a debugger another process started, say).
        if (path == L"Software" && child == L"Wine") continue;
        Collect(root, path + L"\\" + child, out);
    }
}

std::set<std::wstring> Snapshot() {
    std::set<std::wstring> lines;
    Collect(HKEY_LOCAL_MACHINE, L"Software\\Classes", lines);
    Collect(HKEY_CURRENT_USER, L"Software", lines);
    return lines;
}

// The lines of a that b lacks, as narrow text, one per line.
std::string Difference(const std::set<std::wstring>& a, const std::set<std::wstring>& b) {
    std::string text;
    for (const std::wstring& line : a)
        if (!b.count(line)) text += std::string(line.begin(), line.end()) + "\n";
    return text;
}

TEST(Unregistration, LeavesTheRegistryAsRegistrationFoundIt) {
    ASSERT_NE(tl::test::FilterModule(), nullptr) << "tlVideoDecoder.ax beside the test";
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const auto call = tl::test::CallFilterExport;

    call("DllUnregisterServer");  // whatever an earlier run left
    const std::set<std::wstring> before = Snapshot();
    ASSERT_EQ(call("DllRegisterServer"), S_OK);
    // The mapper's entry and the user's key are among what registration writes
    // (key names in whatever case the registry keeps them).
    std::string written = Difference(Snapshot(), before);
    for (char& c : written) c = char(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(written.find("{083863f1-70de-11d0-bd40-00a0c911ce86}\\instance\\"), std::string::npos);
    EXPECT_NE(written.find("software\\kelmarin systems gmbh"), std::string::npos);

    EXPECT_EQ(call("DllUnregisterServer"), S_OK);
    const std::set<std::wstring> after = Snapshot();
    EXPECT_EQ(Difference(after, before), "") << "left behind";
    EXPECT_EQ(Difference(before, after), "") << "removed beyond what registration wrote";

    CoUninitialize();
}

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

// Registering, then unregistering with more added below the script's keys.
TEST_F(RegistryScriptTest, RegisterCreatesAndUnregisterRemovesOnlyWhatTheScriptOwns) {
    tl::test::WriteRaw(HKEY_CURRENT_USER, kRoot + L"\\Forced\\Stray", L"x", Dword(1));
    tl::test::WriteRaw(HKEY_CURRENT_USER, kRoot + L"\\Kept", L"Foreign", Dword(1));
    ASSERT_EQ(tl::ApplyRegistryScript(kScript, kVariables, true), S_OK);
    EXPECT_EQ(std::make_tuple(Value(L"\\Plain", nullptr), Value(L"\\Plain", L"Count"), Value(L"\\Plain", L"Hex"),
                              Value(L"\\Forced", nullptr), Value(L"\\Kept", L"Named")),
              std::make_tuple(Sz(L"It's C:\\x.ax"), Dword(42), Dword(16), Dword(7), Sz(L"100%")));
    EXPECT_TRUE(Exists(L"\\Plain\\Child") && Exists(L"\\Forced\\Inner"));
    EXPECT_FALSE(Exists(L"\\Forced\\Stray")) << "a ForceRemove key is replaced whole";

    tl::test::WriteRaw(HKEY_CURRENT_USER, kRoot + L"\\Forced\\Inner\\Deep", L"x", Dword(1));
    ASSERT_EQ(tl::ApplyRegistryScript(kScript, kVariables, false), S_OK);
    EXPECT_TRUE(Exists(L"")) << "NoRemove keys stay";
    EXPECT_FALSE(Exists(L"\\Plain"));
    EXPECT_FALSE(Exists(L"\\Forced")) << "ForceRemove goes with everything below it";
    EXPECT_FALSE(Value(L"\\Kept", L"Named").has_value());
    EXPECT_EQ(Value(L"\\Kept", L"Foreign"), Dword(1));
    EXPECT_EQ(tl::ApplyRegistryScript(kScript, kVariables, false), S_OK) << "unregistering twice is harmless";
}

}  // namespace
