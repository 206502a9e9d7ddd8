// The Layer class through COM: damage reports, descriptions, and the child
// collection.
#include <gtest/gtest.h>

#include <FilterVideoDecoder.h>

#include <functional>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "filter/com/bstr.h"
#include "filter/com/com_ptr.h"
#include "filter/com/object.h"
#include "filter/com/variant.h"
#include "registered_module.h"

// Found by argument-dependent lookup for the global RECT.
inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace {

using tl::com::Bstr;
using tl::com::ComPtr;
using Rects = std::vector<std::vector<RECT>>;  // one list per notification

class RecordingSink : public ILayerMessageSink {
public:
    static const tl::com::InterfaceEntry* InterfaceMap() {
        static const tl::com::InterfaceEntry map[] = {tl::com::Entry<RecordingSink, ILayerMessageSink>(), {}};
        return map;
    }
    HRESULT STDMETHODCALLTYPE OnLayerNotifyDirty(RECT* rects, int count) override {
        std::lock_guard<std::mutex> hold(mutex_);
        calls_.emplace_back(rects, rects + count);
        return S_OK;
    }
    Rects Calls() {
        std::lock_guard<std::mutex> hold(mutex_);
        return calls_;
    }

private:
    std::mutex mutex_;
    Rects calls_;
};

// Layers from the class object of the module beside the test; scripts reach
// the same class by its ProgID (the module and script tests).
class LayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        if (const auto get = tl::test::ExportOf<GetClassObject>(tl::test::FilterModule(), "DllGetClassObject"))
            get(__uuidof(Layer), IID_IClassFactory, factory_.OutVoid());
    }
    static void TearDownTestSuite() {
        factory_.Reset();
        CoUninitialize();
    }
    void SetUp() override { ASSERT_TRUE(factory_) << "tlVideoDecoder.ax beside the test"; }
    ComPtr<ILayer> NewLayer() {
        ComPtr<ILayer> layer;
        EXPECT_EQ(factory_->CreateInstance(nullptr, __uuidof(ILayer), layer.OutVoid()), S_OK);
        return layer;
    }

    static inline ComPtr<IClassFactory> factory_;
};

TEST_F(LayerTest, ChangesReportTheirDamage) {
    constexpr RECT kStart{0, 0, 100, 50};
    const std::tuple<const char*, std::function<void(ILayer*)>, Rects> cases[] = {  // what, the change, the damage
        {"visible set to its value", [](ILayer* l) { l->put_visible(VARIANT_FALSE); }, {}},
        {"visible", [](ILayer* l) { l->put_visible(VARIANT_TRUE); }, {{kStart}}},
        {"only VARIANT_TRUE is true", [](ILayer* l) { l->put_visible(VARIANT_BOOL(1)); }, {}},
        {"the same text twice",
         [](ILayer* l) {
             l->put_Text(Bstr(L"a").Get());
             l->put_Text(Bstr(L"a").Get());
         },
         {{kStart}, {kStart}}},
        {"moved, same size", [](ILayer* l) { l->SetViewPort(10, 10, 110, 60); }, {{kStart, {10, 10, 110, 60}}}},
        {"the same viewport", [](ILayer* l) { l->SetViewPort(0, 0, 100, 50); }, {}},
        {"x keeps the width", [](ILayer* l) { l->put_x(5); }, {{kStart, {5, 0, 105, 50}}}},
        {"cy", [](ILayer* l) { l->put_cy(20); }, {{kStart, {0, 0, 100, 20}}}},
        {"MoveToXY", [](ILayer* l) { l->MoveToXY(-4, 8); }, {{kStart, {-4, 8, 96, 58}}}},
        {"font of a colour layer", [](ILayer* l) { l->SetFont(Bstr(L"Arial").Get(), 20, 0, 700, 0, 0); }, {}},
        {"font of a text layer",
         [](ILayer* l) {
             l->put_ForeColor(0xFF00FF00);
             l->SetFont(Bstr(L"Arial").Get(), 20, 0, 700, VARIANT_TRUE, 0);
         },
         {{kStart}, {kStart}}},
        {"a file that cannot be loaded", [](ILayer* l) { EXPECT_EQ(l->Load(Bstr(L"Z:\\no\\such.png").Get()), S_OK); },
         {}},
    };
    for (const auto& [what, change, expected] : cases) {
        SCOPED_TRACE(what);
        ComPtr<ILayer> layer = NewLayer();
        ASSERT_EQ(layer->SetViewPort(kStart.left, kStart.top, kStart.right, kStart.bottom), S_OK);
        ComPtr<RecordingSink> sink(new tl::com::Object<RecordingSink>());
        ASSERT_EQ(layer->put_sink(sink.Get()), S_OK);
        change(layer.Get());
        EXPECT_EQ(sink->Calls(), expected);
    }
}

TEST_F(LayerTest, CollectionItemsByNameAndPosition) {
    ComPtr<ILayer> parent = NewLayer(), first = NewLayer(), second = NewLayer();
    ComPtr<RecordingSink> sink(new tl::com::Object<RecordingSink>());
    ASSERT_EQ(parent->put_sink(sink.Get()), S_OK);
    ComPtr<ILayersCollection> children;
    ASSERT_EQ(parent->get_layers(children.Out()), S_OK);
    ComPtr<ILayer> added;
    ASSERT_EQ(children->Add(Bstr(L"first").Get(), first.Get(), added.Out()), S_OK);
    ASSERT_EQ(children->Add(Bstr(L"second").Get(), second.Get(), nullptr), S_OK);
    EXPECT_EQ(added.Get(), first.Get());
    EXPECT_EQ(children->Add(Bstr(L"first").Get(), second.Get(), nullptr), E_FAIL) << "duplicate name";
    EXPECT_EQ(children->Add(nullptr, second.Get(), nullptr), E_POINTER);
    EXPECT_EQ(children->Add(Bstr(L"third").Get(), nullptr, nullptr), E_POINTER);
    ComPtr<ILayerMessageSink> childSink;
    ASSERT_EQ(second->get_sink(childSink.Out()), S_OK);
    EXPECT_EQ(static_cast<void*>(childSink.Get()), static_cast<void*>(static_cast<ILayerMessageSink*>(sink.Get())));

    // An index of type vt holding n, or the string s.
    const auto index = [](VARTYPE vt, LONG n, BSTR s = nullptr) {
        VARIANT v;
        VariantInit(&v);
        v.vt = vt;
        if (vt == VT_BSTR) v.bstrVal = s;
        else if (vt == VT_R8) v.dblVal = n + 0.5;
        else if (vt == VT_I2) v.iVal = SHORT(n);
        else v.lVal = n;  // VT_I4, VT_INT, VT_UINT and VT_UI4 share the 32 bits
        return v;
    };
    Bstr secondName(L"second"), otherCase(L"Second");
    const std::tuple<const char*, VARIANT, HRESULT, ILayer*> cases[] = {  // what, index, result, layer (null: VT_EMPTY)
        {"by name", index(VT_BSTR, 0, secondName.Get()), S_OK, second.Get()},
        {"names are case-sensitive", index(VT_BSTR, 0, otherCase.Get()), S_FALSE, nullptr},
        {"VT_I2", index(VT_I2, 0), S_OK, first.Get()},
        {"VT_I4", index(VT_I4, 1), S_OK, second.Get()},
        {"VT_UINT", index(VT_UINT, 1), S_OK, second.Get()},
        {"past the end", index(VT_I4, 2), S_FALSE, nullptr},
        {"negative", index(VT_INT, -1), S_FALSE, nullptr},
        {"a double", index(VT_R8, 3), E_INVALIDARG, nullptr},
    };
    for (const auto& [what, at, result, layer] : cases) {
        SCOPED_TRACE(what);
        tl::com::Variant out;
        EXPECT_EQ(children->item(at, out.Out()), result);
        ComPtr<ILayer> got;
        if (out.Type() == VT_DISPATCH) out.Get().pdispVal->QueryInterface(__uuidof(ILayer), got.OutVoid());
        EXPECT_EQ(out.Type(), layer ? VT_DISPATCH : VT_EMPTY);
        EXPECT_EQ(got.Get(), layer);
    }
    LONG length = 0;
    EXPECT_TRUE(children->get_length(&length) == S_OK && length == 2);
    ComPtr<IUnknown> unknown;
    ComPtr<IEnumVARIANT> items;
    ASSERT_TRUE(children->get__newEnum(unknown.Out()) == S_OK && unknown.As(&items) == S_OK);
    VARIANT got[3];
    ULONG fetched = 0;
    EXPECT_EQ(items->Next(3, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    for (ULONG i = 0; i < fetched; ++i) {
        EXPECT_EQ(got[i].vt, VT_DISPATCH);
        VariantClear(&got[i]);
    }
}

}  // namespace
