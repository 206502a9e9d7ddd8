// Reference counting around an implementation class. An implementation class
// derives from its interfaces, leaves IUnknown to these templates and provides
//     static const tl::com::InterfaceEntry* InterfaceMap();
// Optionally it provides HRESULT FinalConstruct(), run once the object holds its
// first reference, for construction steps that can fail with an HRESULT. A class
// that needs its controlling unknown (to aggregate an inner object, or for an
// embedded sub-object's Owner()) declares
//     virtual IUnknown* ControllingUnknown() = 0;
// which Object and Aggregatable implement.
//
//   Object<T>        a stand-alone object, counted in the module's object count.
//   Aggregatable<T>  an object that may be aggregated by an outer object: its
//                    interfaces delegate to the controlling unknown, and a separate
//                    non-delegating inner unknown owns the reference count.
//   Embedded<T>      a sub-object that lives inside its owner and delegates its
//                    reference counting to the owner; T provides IUnknown* Owner().
#pragma once
#include <windows.h>

#include <unknwn.h>

#include <atomic>
#include <type_traits>
#include <utility>

#include "filter/com/container_of.h"
#include "filter/com/hresult_error.h"
#include "filter/com/interface_map.h"
#include "filter/com/module_lock.h"

namespace tl::com {

namespace detail {

template <class T, class = void>
struct HasFinalConstruct : std::false_type {};
template <class T>
struct HasFinalConstruct<T, std::void_t<decltype(std::declval<T&>().FinalConstruct())>> : std::true_type {};

template <class T>
HRESULT RunFinalConstruct(T& object) {
    if constexpr (HasFinalConstruct<T>::value) {
        return object.FinalConstruct();
    } else {
        (void)object;
        return S_OK;
    }
}

}  // namespace detail

template <class Base>
class Object final : public Base {
public:
    template <class... Args>
    explicit Object(Args&&... args) : Base(std::forward<Args>(args)...) {
        ModuleObjectCreated();
    }
    ~Object() { ModuleObjectDestroyed(); }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        return QueryFromMap(static_cast<Base*>(this), Base::InterfaceMap(), riid, ppv);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    // The object's identity.
    IUnknown* ControllingUnknown() { return Base::InterfaceMap()[0].cast(static_cast<Base*>(this)); }

private:
    std::atomic<ULONG> refs_{0};
};

template <class Base>
class Aggregatable final : public Base {
public:
    template <class... Args>
    explicit Aggregatable(IUnknown* outer, Args&&... args)
        : Base(std::forward<Args>(args)...), outer_(outer ? outer : &inner_) {
        ModuleObjectCreated();
    }
    ~Aggregatable() { ModuleObjectDestroyed(); }
    Aggregatable(const Aggregatable&) = delete;
    Aggregatable& operator=(const Aggregatable&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        return outer_->QueryInterface(riid, ppv);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return outer_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return outer_->Release(); }

    // The outer object's IUnknown when aggregated, else the inner unknown.
    IUnknown* ControllingUnknown() { return outer_; }
    IUnknown* InnerUnknown() { return &inner_; }

private:
    class Inner final : public IUnknown {
    public:
        Inner() = default;
        Inner(const Inner&) = delete;
        Inner& operator=(const Inner&) = delete;

        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
            if (!ppv) return E_POINTER;
            if (IsEqualIID(riid, IID_IUnknown)) {
                AddRef();
                *ppv = static_cast<IUnknown*>(this);
                return S_OK;
            }
            Aggregatable* self = ContainerOf(this, &Aggregatable::inner_);
            return QueryFromMap(static_cast<Base*>(self), Base::InterfaceMap(), riid, ppv);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
        ULONG STDMETHODCALLTYPE Release() override {
            const ULONG left = --refs_;
            if (left == 0) delete ContainerOf(this, &Aggregatable::inner_);
            return left;
        }

    private:
        std::atomic<ULONG> refs_{0};
    };

    Inner inner_;
    IUnknown* outer_;
};

template <class Base>
class Embedded final : public Base {
public:
    template <class... Args>
    explicit Embedded(Args&&... args) : Base(std::forward<Args>(args)...) {}
    Embedded(const Embedded&) = delete;
    Embedded& operator=(const Embedded&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        return QueryFromMap(static_cast<Base*>(this), Base::InterfaceMap(), riid, ppv);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Base::Owner()->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Base::Owner()->Release(); }
};

// Creates a stand-alone object and returns its riid interface.
template <class Base, class... Args>
HRESULT CreateObject(REFIID riid, void** ppv, Args&&... args) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    return Guarded([&]() -> HRESULT {
        auto* object = new Object<Base>(std::forward<Args>(args)...);
        object->AddRef();
        HRESULT hr = detail::RunFinalConstruct(static_cast<Base&>(*object));
        if (SUCCEEDED(hr)) hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    });
}

// Creates an aggregatable object. With an outer object only IUnknown may be asked
// for, and the inner unknown is what is returned.
template <class Base, class... Args>
HRESULT CreateAggregatable(IUnknown* outer, REFIID riid, void** ppv, Args&&... args) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return Guarded([&]() -> HRESULT {
        auto* object = new Aggregatable<Base>(outer, std::forward<Args>(args)...);
        IUnknown* inner = object->InnerUnknown();
        inner->AddRef();
        HRESULT hr = detail::RunFinalConstruct(static_cast<Base&>(*object));
        if (SUCCEEDED(hr)) hr = inner->QueryInterface(riid, ppv);
        inner->Release();
        return hr;
    });
}

}  // namespace tl::com
