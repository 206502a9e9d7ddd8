#include "tools/tlvplay/osd_layer.h"

#include <cstdint>
#include <string>

#include "filter/com/com_ptr.h"
#include "tools/tlvplay/dispatch_property.h"

namespace tl::tlvplay {
namespace {

// Owns what a VARIANT holds for the length of one call.
class Value {
public:
    Value() { VariantInit(&v_); }
    ~Value() { VariantClear(&v_); }
    Value(const Value&) = delete;
    Value& operator=(const Value&) = delete;
    static VARIANT Long(long n) {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = n;
        return v;
    }
    static VARIANT Unsigned(std::uint32_t n) {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_UI4;
        v.ulVal = n;
        return v;
    }
    VARIANT* Out() {
        VariantClear(&v_);
        return &v_;
    }
    const VARIANT& Get() const { return v_; }
    IDispatch* Dispatch() const { return v_.vt == VT_DISPATCH ? v_.pdispVal : nullptr; }

    static HRESULT Text(const std::string& narrow, Value& out) {
        const int n = MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, nullptr, 0);
        std::wstring wide(std::size_t(n > 0 ? n : 1), L'\0');
        MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, wide.data(), n);
        VARIANT* v = out.Out();
        v->vt = VT_BSTR;
        v->bstrVal = SysAllocString(wide.c_str());
        return v->bstrVal ? S_OK : E_OUTOFMEMORY;
    }

private:
    VARIANT v_;
};

}  // namespace

HRESULT AddOsdLayer(IBaseFilter* decoder, const OsdOptions& osd) {
    if (osd.text.empty() && osd.image.empty()) return S_OK;
    Value layer, top, children, added;
    com::ComPtr<IDispatch> filter;
    HRESULT hr = decoder->QueryInterface(IID_IDispatch, filter.OutVoid());
    if (SUCCEEDED(hr)) hr = CallMethod(filter.Get(), L"CreateLayer", {}, layer.Out());
    if (SUCCEEDED(hr) && !layer.Dispatch()) hr = E_NOINTERFACE;
    if (SUCCEEDED(hr)) hr = GetProperty(decoder, L"TopLayer", top.Out());
    if (SUCCEEDED(hr)) hr = GetProperty(top.Dispatch(), L"layers", children.Out());
    if (FAILED(hr)) return hr;
    IDispatch* l = layer.Dispatch();
    const RECT& r = osd.rect;
    hr = CallMethod(l, L"SetViewPort", {Value::Long(r.left), Value::Long(r.top), Value::Long(r.right),
                                       Value::Long(r.bottom)},
                    nullptr);
    if (SUCCEEDED(hr) && !osd.text.empty()) {
        Value text;
        hr = Value::Text(osd.text, text);
        if (SUCCEEDED(hr)) hr = PutProperty(l, L"BackColor", Value::Unsigned(osd.backColor));
        if (SUCCEEDED(hr)) hr = PutProperty(l, L"ForeColor", Value::Unsigned(osd.foreColor));
        if (SUCCEEDED(hr)) hr = PutProperty(l, L"Text", text.Get());
    }
    if (SUCCEEDED(hr) && !osd.image.empty()) {
        Value path;
        hr = Value::Text(osd.image, path);
        if (SUCCEEDED(hr)) hr = CallMethod(l, L"Load", {path.Get()}, nullptr);
    }
    VARIANT visible;
    VariantInit(&visible);
    visible.vt = VT_BOOL;
    visible.boolVal = VARIANT_TRUE;
    if (SUCCEEDED(hr)) hr = PutProperty(l, L"visible", visible);
    Value name;
    if (SUCCEEDED(hr)) hr = Value::Text("tlvplay", name);
    if (SUCCEEDED(hr)) hr = CallMethod(children.Dispatch(), L"Add", {name.Get(), layer.Get()}, added.Out());
    return hr;
}

}  // namespace tl::tlvplay
