// IDispatch for a dual interface, answered from the interface's description in
// the module's type library: names map to the DISPIDs the library assigns, and
// Invoke calls through the vtable of Itf.
#pragma once
#include <windows.h>

#include <oaidl.h>
#include <oleauto.h>

#include <mutex>

#include "filter/com/com_ptr.h"
#include "filter/com/type_library.h"

namespace tl::com {

template <class Itf>
class Dual : public Itf {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        ComPtr<ITypeInfo> type;
        const HRESULT hr = TypeInfo(&type);
        if (SUCCEEDED(hr)) *info = type.Detach();
        return hr;
    }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        ComPtr<ITypeInfo> type;
        const HRESULT hr = TypeInfo(&type);
        if (FAILED(hr)) return hr;
        return DispGetIDsOfNames(type.Get(), names, count, ids);
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argError) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        ComPtr<ITypeInfo> type;
        const HRESULT hr = TypeInfo(&type);
        if (FAILED(hr)) return hr;
        // Script engines ask for a collection's enumerator as a method, though the
        // library declares _NewEnum as a property; Wine's type information takes
        // only the declared kind.
        if (id == DISPID_NEWENUM && (flags & DISPATCH_METHOD)) flags |= DISPATCH_PROPERTYGET;
        return DispInvoke(static_cast<Itf*>(this), type.Get(), id, flags, params, result, exception,
                          argError);
    }

protected:
    Dual() = default;
    ~Dual() = default;

    HRESULT TypeInfo(ComPtr<ITypeInfo>* out) {
        std::lock_guard<std::mutex> hold(mutex_);
        if (!typeInfo_) {
            const HRESULT hr = LoadModuleTypeInfo(__uuidof(Itf), typeInfo_.Out());
            if (FAILED(hr)) return hr;
        }
        *out = typeInfo_;
        return S_OK;
    }

private:
    std::mutex mutex_;
    ComPtr<ITypeInfo> typeInfo_;
};

}  // namespace tl::com
