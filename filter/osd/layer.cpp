#include "filter/osd/layer.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

#include "convert/overlay_blitters.h"
#include "convert/overlay_rules.h"
#include "filter/com/hresult_error.h"
#include "filter/com/locked_getter.h"
#include "filter/osd/text_raster.h"

namespace tl {
namespace {

constexpr std::uint32_t kAlphaMask = 0xFF000000u;

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

RECT Intersection(const RECT& a, const RECT& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

bool IsEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

}  // namespace

const com::InterfaceEntry* Layer::InterfaceMap() {
    static const com::InterfaceEntry map[] = {
        com::Entry<Layer, ILayer>(),
        com::Entry<Layer, IDispatch, ILayer>(),
        com::Entry<Layer, ILayersCollection>(),
        {},
    };
    return map;
}

Layer::~Layer() {
    if (font_) DeleteObject(font_);
}

void Layer::Damage::Send() {
    if (sink && count > 0) sink->OnLayerNotifyDirty(rects, count);
}

Layer::Damage Layer::DamageLocked(std::initializer_list<RECT> rects) const {
    Damage d;
    d.sink = sink_;
    for (const RECT& r : rects) d.rects[d.count++] = r;
    return d;
}

HRESULT STDMETHODCALLTYPE Layer::get_value(BSTR* pVal) {
    if (!pVal) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    wchar_t head[160];
    std::swprintf(head, std::size(head), L"Layer: visible=%d, viewport={(%d x %d)-(%d x %d)}, sink=%p", visible_ ? 1 : 0,
                  int(viewport_.left), int(viewport_.top), int(viewport_.right), int(viewport_.bottom),
                  static_cast<void*>(sink_.Get()));
    std::wstring text = head;
    wchar_t colours[64];
    switch (kind_) {
    case kColour:
        std::swprintf(colours, std::size(colours), L", BackColor=0x%08x", unsigned(backColor_));
        text += colours;
        break;
    case kImage:
        text += L", File={" + fileName_ + L"}";
        break;
    default:
        std::swprintf(colours, std::size(colours), L", BackColor=0x%08x, ForeColor=0x%08x", unsigned(backColor_),
                      unsigned(foreColor_));
        text += colours + (L", Text={" + text_ + L"}");
        break;
    }
    return com::ReturnString(text, pVal);
}

HRESULT STDMETHODCALLTYPE Layer::get_layers(ILayersCollection** pVal) {
    if (!pVal) return E_POINTER;
    *pVal = static_cast<ILayersCollection*>(this);
    (*pVal)->AddRef();
    return S_OK;
}

RECT Layer::Viewport() const {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return viewport_;
}

HRESULT STDMETHODCALLTYPE Layer::get_visible(VARIANT_BOOL* pVal) {
    return com::ReadLocked(pVal, lock_, [&] { return visible_ ? VARIANT_TRUE : VARIANT_FALSE; });
}

HRESULT STDMETHODCALLTYPE Layer::put_visible(VARIANT_BOOL newVal) {
    Damage damage;
    {
        std::lock_guard<std::recursive_mutex> hold(lock_);
        const bool visible = newVal == VARIANT_TRUE;
        if (visible == visible_) return S_OK;
        visible_ = visible;
        damage = DamageLocked({viewport_});
    }
    damage.Send();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Layer::get_x(LONG* pVal) {
    return com::ReadLocked(pVal, lock_, [&] { return viewport_.left; });
}
HRESULT STDMETHODCALLTYPE Layer::get_y(LONG* pVal) {
    return com::ReadLocked(pVal, lock_, [&] { return viewport_.top; });
}
HRESULT STDMETHODCALLTYPE Layer::get_cx(LONG* pVal) {
    return com::ReadLocked(pVal, lock_, [&] { return viewport_.right - viewport_.left; });
}
HRESULT STDMETHODCALLTYPE Layer::get_cy(LONG* pVal) {
    return com::ReadLocked(pVal, lock_, [&] { return viewport_.bottom - viewport_.top; });
}

HRESULT STDMETHODCALLTYPE Layer::put_x(LONG newVal) {
    const RECT v = Viewport();
    return ChangeViewport({newVal, v.top, v.right + newVal - v.left, v.bottom});
}
HRESULT STDMETHODCALLTYPE Layer::put_y(LONG newVal) {
    const RECT v = Viewport();
    return ChangeViewport({v.left, newVal, v.right, v.bottom + newVal - v.top});
}
HRESULT STDMETHODCALLTYPE Layer::put_cx(LONG newVal) {
    const RECT v = Viewport();
    return ChangeViewport({v.left, v.top, v.left + newVal, v.bottom});
}
HRESULT STDMETHODCALLTYPE Layer::put_cy(LONG newVal) {
    const RECT v = Viewport();
    return ChangeViewport({v.left, v.top, v.right, v.top + newVal});
}
HRESULT STDMETHODCALLTYPE Layer::MoveToXY(LONG x, LONG y) {
    const RECT v = Viewport();
    return ChangeViewport({x, y, x + v.right - v.left, y + v.bottom - v.top});
}
HRESULT STDMETHODCALLTYPE Layer::SetViewPort(LONG x1, LONG y1, LONG x2, LONG y2) {
    return ChangeViewport({x1, y1, x2, y2});
}

HRESULT Layer::ChangeViewport(const RECT& next) {
    Damage damage;
    {
        std::lock_guard<std::recursive_mutex> hold(lock_);
        if (SameRect(next, viewport_)) return S_OK;
        const RECT old = viewport_;
        viewport_ = next;
        const bool resized =
            next.right - next.left != old.right - old.left || next.bottom - next.top != old.bottom - old.top;
        if (resized && kind_ == kText) RasteriseTextLocked();
        if (resized && kind_ == kImage) FitImageLocked(false);
        damage = DamageLocked({old, next});
    }
    damage.Send();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Layer::get_BackColor(OLE_COLOR* pVal) {
    return com::ReadLocked(pVal, lock_, [&] { return OLE_COLOR(backColor_); });
}
HRESULT STDMETHODCALLTYPE Layer::get_ForeColor(OLE_COLOR* pVal) {
    return com::ReadLocked(pVal, lock_, [&] { return OLE_COLOR(foreColor_); });
}

HRESULT STDMETHODCALLTYPE Layer::put_BackColor(OLE_COLOR newVal) { return SetTextColour(&Layer::backColor_, newVal); }
HRESULT STDMETHODCALLTYPE Layer::put_ForeColor(OLE_COLOR newVal) { return SetTextColour(&Layer::foreColor_, newVal); }

HRESULT Layer::SetTextColour(std::uint32_t Layer::*colour, OLE_COLOR value) {
    Damage damage;
    {
        std::lock_guard<std::recursive_mutex> hold(lock_);
        this->*colour = value;
        kind_ = kText;
        RasteriseTextLocked();
        damage = DamageLocked({viewport_});
    }
    damage.Send();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Layer::get_Text(BSTR* pVal) {
    if (!pVal) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return com::ReturnString(text_, pVal);
}

HRESULT STDMETHODCALLTYPE Layer::put_Text(BSTR newVal) {
    return com::Guarded([&]() -> HRESULT {
        Damage damage;
        {
            std::lock_guard<std::recursive_mutex> hold(lock_);
            text_ = com::ToString(newVal);
            if (text_.empty()) {
                kind_ = kColour;
                hasContent_ = false;
                content_ = ContentSurface{};
            } else {
                kind_ = kText;
                RasteriseTextLocked();
            }
            damage = DamageLocked({viewport_});
        }
        damage.Send();
        return S_OK;
    });
}

void Layer::RasteriseTextLocked() {
    const int w = viewport_.right - viewport_.left, h = viewport_.bottom - viewport_.top;
    if (RasteriseText(text_, font_, backColor_, foreColor_, w, h, content_)) hasContent_ = true;
}

HRESULT STDMETHODCALLTYPE Layer::get_sink(ILayerMessageSink** pVal) {
    if (!pVal) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(lock_);
    sink_.CopyTo(pVal);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Layer::put_sink(ILayerMessageSink* newVal) {
    {
        std::lock_guard<std::recursive_mutex> hold(lock_);
        sink_ = com::ComPtr<ILayerMessageSink>(newVal);
    }
    for (const com::ComPtr<ILayer>& child : ChildLayers()) child->put_sink(newVal);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Layer::SetFont(BSTR name, LONG height, LONG width, LONG weight, VARIANT_BOOL italic,
                                         LONG quality) {
    return com::Guarded([&]() -> HRESULT {
        const std::wstring face = com::ToString(name);
        HFONT font = CreateFontW(height, width, 0, 0, weight, italic == VARIANT_TRUE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DWORD(quality), DEFAULT_PITCH,
                                 face.c_str());
        Damage damage;
        {
            std::lock_guard<std::recursive_mutex> hold(lock_);
            if (font_) DeleteObject(font_);
            font_ = font;
            if (kind_ != kText) return S_OK;
            RasteriseTextLocked();
            damage = DamageLocked({viewport_});
        }
        damage.Send();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE Layer::RenderPMARGB32(BYTE* pDst, ULONG dwDstPitch, RECT rectClip) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    const RECT clip = Intersection(viewport_, rectClip);
    if (visible_ && !IsEmpty(clip)) {
        BYTE* dst = pDst + std::ptrdiff_t(clip.top - rectClip.top) * std::ptrdiff_t(dwDstPitch) +
                    std::ptrdiff_t(clip.left - rectClip.left) * 4;
        const int w = clip.right - clip.left, h = clip.bottom - clip.top;
        const OverlayRoutines& routines = overlayRoutines();
        if (hasContent_) {
            // The content may be smaller than the viewport when the last rasterisation failed.
            const int cw = std::min(w, content_.width - int(clip.left - viewport_.left));
            const int ch = std::min(h, content_.height - int(clip.top - viewport_.top));
            if (cw > 0 && ch > 0)
                routines.blendOver(dst, int(dwDstPitch),
                                   content_.pixels.data() +
                                       std::size_t(clip.top - viewport_.top) * std::size_t(content_.pitch()) +
                                       std::size_t(clip.left - viewport_.left) * 4,
                                   content_.pitch(), cw, ch);
        } else if (backColor_ & kAlphaMask) {
            routines.fillOver(dst, int(dwDstPitch), overlay_rules::premultiply(backColor_), w, h);
        }
    }
    std::lock_guard<std::recursive_mutex> holdChildren(childrenLock_);
    for (const Child& child : children_) {
        const VARIANT& v = child.layer.Get();
        com::ComPtr<ILayer> layer;
        if (v.vt == VT_DISPATCH && v.pdispVal &&
            SUCCEEDED(v.pdispVal->QueryInterface(__uuidof(ILayer), layer.OutVoid())))
            layer->RenderPMARGB32(pDst, dwDstPitch, rectClip);
    }
    return S_OK;
}

}  // namespace tl
