// The class object served by DllGetClassObject: one static instance per class,
// creating objects through a creator function. References to a class object
// count as server locks, so the module stays loaded while a client holds one.
#pragma once
#include <windows.h>

#include <unknwn.h>

#include "filter/com/object.h"

namespace tl::com {

using CreatorFn = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

class ClassFactory final : public IClassFactory {
public:
    explicit constexpr ClassFactory(CreatorFn create) : create_(create) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    CreatorFn create_;
};

// Creator for a class that cannot be aggregated.
template <class Base>
HRESULT CreateNonAggregatable(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return CreateObject<Base>(riid, ppv);
}

// Creator for a class that may be aggregated.
template <class Base>
HRESULT CreateMaybeAggregated(IUnknown* outer, REFIID riid, void** ppv) {
    return CreateAggregatable<Base>(outer, riid, ppv);
}

}  // namespace tl::com
