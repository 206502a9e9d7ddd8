#include <gtest/gtest.h>

#include <FilterVideoDecoder.h>

#include <string>

#include "filter/com/com_ptr.h"
#include "filter/settings/filter_settings.h"
#include "registered_module.h"
#include "registry_helpers.h"

namespace {

using tl::com::ComPtr;
using tl::test::Dword;
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

TEST_F(ModuleTest, RegistrationListsThePluginsAndWritesUserValues) {
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);

    // The classes, ProgIDs and type library are decided by their use through COM
    // below and in the graph tests; here what only the registry shows: the
    // built-in plug-ins, listed but disabled, and the module's own values.
    struct Plugin {
        const wchar_t* name;
        const wchar_t* clsid;
        DWORD hidden, priority;
    };
    for (const Plugin& p : {Plugin{L"DeveloperConsole", L"{1f350cf0-c761-4193-9f2b-8cfdf51c2998}", 1, 10},
                            Plugin{L"InfoLayer", L"{1f350cf1-c761-4193-9f2b-8cfdf51c2998}", 0, 100}}) {
        const std::wstring key = kUserKey + L"\\Plugins\\" + p.name;
        EXPECT_EQ(ReadRaw(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + p.clsid + L"\\InprocServer32", nullptr),
                  Sz(path_));
        EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, key, L"CLSID"), Sz(p.clsid)) << p.name;
        EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, key, L"bPluginEnabled"), Dword(0)) << p.name;
        EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, key, L"bPluginHidden"), Dword(p.hidden)) << p.name;
        EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, key, L"dwPluginPriority"), Dword(p.priority)) << p.name;
    }

    EXPECT_EQ(tl::test::CountValues(HKEY_CURRENT_USER, kUserKey), 2) << "settings appear only with a filter";
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kUserKey, L"modulePath"), Sz(path_));
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kUserKey, L"moduleVersion"),
              Sz(L"v1.0.0.0, Release(Unicode), assembled on Oct 12 2006"));
}

TEST_F(ModuleTest, RegisteredClassWorksThroughComAndAutomation) {
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(kH264ProgId, &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, __uuidof(VideoDecoderH264)));

    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, dispatch.OutVoid()), S_OK);
    UINT count = 0;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);

    std::wstring name = L"value";
    LPOLESTR names[] = {name.data()};
    DISPID id = 99;
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, DISPID_VALUE);

    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(dispatch->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result,
                               nullptr, nullptr),
              S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_STREQ(result.bstrVal, L"H264 Decoder");
    VariantClear(&result);
    EXPECT_EQ(dispatch->Invoke(0x60020001, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result,
                               nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

}  // namespace
