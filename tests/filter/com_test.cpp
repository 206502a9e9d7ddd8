#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "filter/com/class_factory.h"
#include "filter/com/com_ptr.h"
#include "filter/com/hresult_error.h"
#include "filter/com/object.h"

// Interfaces that exist only for these tests.
struct ITestA : IUnknown {
    virtual int STDMETHODCALLTYPE A() = 0;

protected:
    ~ITestA() = default;
};
struct ITestC : IUnknown {
    virtual int STDMETHODCALLTYPE C() = 0;

protected:
    ~ITestC() = default;
};
__CRT_UUID_DECL(ITestA, 0x6d1d1a01, 0x3c51, 0x4d0e, 0x9a, 0x53, 0x11, 0x62, 0x2a, 0x0e, 0x70, 0x01)
__CRT_UUID_DECL(ITestC, 0x6d1d1a03, 0x3c51, 0x4d0e, 0x9a, 0x53, 0x11, 0x62, 0x2a, 0x0e, 0x70, 0x01)

namespace {

using tl::com::ComPtr;

int g_destroyed = 0;

class ComHelperTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_destroyed = 0;
        baseline_ = tl::com::ModuleUsage();
    }
    void TearDown() override { EXPECT_EQ(tl::com::ModuleUsage(), baseline_) << "an object or lock leaked"; }

    long baseline_ = 0;
};

// An aggregatable class, and a hand-written outer object that aggregates it and
// answers ITestC itself.
class Inner : public ITestA {
public:
    static const tl::com::InterfaceEntry* InterfaceMap() {
        static const tl::com::InterfaceEntry map[] = {tl::com::Entry<Inner, ITestA>(), {}};
        return map;
    }
    int STDMETHODCALLTYPE A() override { return 100; }
    virtual IUnknown* ControllingUnknown() = 0;

protected:
    ~Inner() { ++g_destroyed; }
};

class FailingInner : public Inner {
public:
    HRESULT FinalConstruct() { return E_ACCESSDENIED; }
};

TEST_F(ComHelperTest, FailedFinalConstructDestroysTheObject) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(tl::com::CreateObject<FailingInner>(__uuidof(ITestA), &out), E_ACCESSDENIED);
    EXPECT_TRUE(out == nullptr && g_destroyed == 1);
    EXPECT_EQ(tl::com::CreateObject<Inner>(__uuidof(IDispatch), &out), E_NOINTERFACE);
    EXPECT_TRUE(out == nullptr && g_destroyed == 2);
}

class Outer final : public ITestC {
public:
    HRESULT Init() {
        return tl::com::CreateMaybeAggregated<Inner>(this, IID_IUnknown, inner_.OutVoid());
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(ITestC))) {
            AddRef();
            *ppv = static_cast<ITestC*>(this);
            return S_OK;
        }
        return inner_->QueryInterface(riid, ppv);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    int STDMETHODCALLTYPE C() override { return 300; }

    ULONG refs = 1;
    ComPtr<IUnknown> inner_;
};

TEST_F(ComHelperTest, AggregatedObjectDelegatesToItsOuterObject) {
    Outer outer;
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(tl::com::CreateMaybeAggregated<Inner>(&outer, __uuidof(ITestA), &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);

    ASSERT_EQ(outer.Init(), S_OK);
    EXPECT_EQ(outer.refs, 1u) << "creating the inner object leaves the outer count alone";

    ITestA* a = nullptr;
    ITestC* c = nullptr;
    IUnknown* identity = nullptr;
    ASSERT_EQ(outer.QueryInterface(__uuidof(ITestA), reinterpret_cast<void**>(&a)), S_OK);
    EXPECT_EQ(a->A(), 100);
    EXPECT_EQ(outer.refs, 2u) << "the inner interface counts on the outer object";
    ASSERT_EQ(a->QueryInterface(__uuidof(ITestC), reinterpret_cast<void**>(&c)), S_OK);
    ASSERT_EQ(a->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(c, static_cast<ITestC*>(&outer));
    EXPECT_EQ(identity, static_cast<IUnknown*>(&outer)) << "identity is the outer object's";
    EXPECT_EQ(outer.refs, 4u);
    identity->Release();
    c->Release();
    a->Release();
    EXPECT_EQ(outer.refs, 1u);
    EXPECT_EQ(static_cast<Inner*>(a)->ControllingUnknown(), static_cast<IUnknown*>(&outer));

    ComPtr<IUnknown> innerUnknown;
    ASSERT_EQ(outer.inner_->QueryInterface(IID_IUnknown, innerUnknown.OutVoid()), S_OK);
    EXPECT_EQ(innerUnknown.Get(), outer.inner_.Get()) << "the inner unknown answers for itself";
    innerUnknown.Reset();

    outer.inner_.Reset();
    EXPECT_EQ(g_destroyed, 1);
}

TEST(HResultErrorTest, GuardedTurnsFailuresIntoResults) {
    const std::tuple<const char*, void (*)(), HRESULT> cases[] = {  // what, the body, the result
        {"nothing thrown", [] {}, S_FALSE},
        {"out of memory while building a string", [] { tl::com::ThrowOutOfMemory(); }, E_OUTOFMEMORY},
        {"carried HRESULT", [] { tl::com::ThrowIfFailed(E_ACCESSDENIED); }, E_ACCESSDENIED},
        {"success passes", [] { tl::com::ThrowIfFailed(S_FALSE); }, S_FALSE},
        {"allocator failure", [] { throw std::bad_alloc(); }, E_OUTOFMEMORY},
        {"anything else", [] { throw std::runtime_error("x"); }, E_UNEXPECTED},
    };
    for (const auto& [what, body, expected] : cases) {
        const auto guarded = [call = body] {
            call();
            return S_FALSE;
        };
        EXPECT_EQ(tl::com::Guarded(guarded), expected) << what;
    }
}

}  // namespace
