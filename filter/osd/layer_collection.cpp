// The layer's child list as ILayersCollection.
#include "filter/com/hresult_error.h"
#include "filter/com/snapshot_enumerator.h"
#include "filter/osd/layer.h"

namespace tl {
namespace {

// Children handed out by _newEnum: each Next gives a copy of the stored VARIANT.
struct VariantCopy {
    using Item = com::Variant;
    using Element = VARIANT;
    static bool Out(const Item& item, Element* out) { return SUCCEEDED(item.CopyTo(out)); }
    static void Free(Element& element) { VariantClear(&element); }
};

bool PositionOf(const VARIANT& index, LONGLONG& position) {
    switch (index.vt) {
    case VT_I2: position = index.iVal; return true;
    case VT_I4: position = index.lVal; return true;
    case VT_UI4: position = index.ulVal; return true;
    case VT_INT: position = index.intVal; return true;
    case VT_UINT: position = index.uintVal; return true;
    default: return false;
    }
}

}  // namespace

std::vector<com::ComPtr<ILayer>> Layer::ChildLayers() {
    std::vector<com::ComPtr<ILayer>> layers;
    std::lock_guard<std::recursive_mutex> hold(childrenLock_);
    for (const Child& child : children_) {
        const VARIANT& v = child.layer.Get();
        com::ComPtr<ILayer> layer;
        if (v.vt == VT_DISPATCH && v.pdispVal &&
            SUCCEEDED(v.pdispVal->QueryInterface(__uuidof(ILayer), layer.OutVoid())))
            layers.push_back(std::move(layer));
    }
    return layers;
}

HRESULT STDMETHODCALLTYPE Layer::item(VARIANT index, VARIANT* pItem) {
    if (!pItem) return E_POINTER;
    VariantInit(pItem);
    std::lock_guard<std::recursive_mutex> hold(childrenLock_);
    LONGLONG position = 0;
    if (PositionOf(index, position)) {
        if (position < 0 || position >= LONGLONG(children_.size())) return S_FALSE;
        return children_[std::size_t(position)].layer.CopyTo(pItem);
    }
    if (index.vt != VT_BSTR) return E_INVALIDARG;
    for (const Child& child : children_)
        if (VarBstrCmp(child.name.Get(), index.bstrVal, LOCALE_USER_DEFAULT, 0) == VARCMP_EQ)
            return child.layer.CopyTo(pItem);
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE Layer::get_length(LONG* pVal) {
    if (!pVal) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(childrenLock_);
    *pVal = LONG(children_.size());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Layer::get__newEnum(IUnknown** ppEnum) {
    if (!ppEnum) return E_POINTER;
    *ppEnum = nullptr;
    return com::Guarded([&]() -> HRESULT {
        std::vector<com::Variant> snapshot;
        {
            std::lock_guard<std::recursive_mutex> hold(childrenLock_);
            for (const Child& child : children_) snapshot.push_back(child.layer);
        }
        IEnumVARIANT* items = nullptr;
        const HRESULT hr = com::CreateSnapshotEnumerator<IEnumVARIANT, VariantCopy>(std::move(snapshot), &items);
        *ppEnum = items;
        return hr;
    });
}

HRESULT STDMETHODCALLTYPE Layer::Add(BSTR bstrName, ILayer* pNewLayer, ILayer** ppOutNewLayer) {
    if (!bstrName || !pNewLayer) return E_POINTER;
    if (ppOutNewLayer) *ppOutNewLayer = nullptr;
    return com::Guarded([&]() -> HRESULT {
        {
            std::lock_guard<std::recursive_mutex> hold(childrenLock_);
            for (const Child& child : children_)
                if (VarBstrCmp(child.name.Get(), bstrName, LOCALE_USER_DEFAULT, 0) == VARCMP_EQ) return E_FAIL;
            Child child;
            child.name = com::Bstr(std::wstring_view(bstrName, SysStringLen(bstrName)));
            VARIANT* v = child.layer.Out();
            v->vt = VT_DISPATCH;
            v->pdispVal = pNewLayer;
            pNewLayer->AddRef();
            children_.push_back(std::move(child));
        }
        com::ComPtr<ILayerMessageSink> sink;
        get_sink(sink.Out());
        pNewLayer->put_sink(sink.Get());
        if (ppOutNewLayer) return pNewLayer->QueryInterface(__uuidof(ILayer), reinterpret_cast<void**>(ppOutNewLayer));
        return S_OK;
    });
}

}  // namespace tl
