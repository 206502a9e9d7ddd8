// The on-screen-display layer (coclass Layer): a rectangle of colour, text or
// an image in picture coordinates, with an ordered, named list of child layers
// drawn after it. Every change of what it shows is reported to its sink as
// damaged rectangles; the filter's root layer has the decoder as its sink.
//
// Any thread may call a layer. Lock order: a layer's own lock, then its
// children's lock, then (while drawing) each child's locks; sink calls are made
// with no lock held.
#pragma once
#include <FilterVideoDecoder.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "filter/com/bstr.h"
#include "filter/com/com_ptr.h"
#include "filter/com/dual.h"
#include "filter/com/interface_map.h"
#include "filter/com/variant.h"
#include "filter/osd/content_surface.h"

namespace tl {

class Layer : public com::Dual<ILayer>, public com::Dual<ILayersCollection> {
public:
    Layer() = default;
    ~Layer();
    static const com::InterfaceEntry* InterfaceMap();

    // ILayer
    HRESULT STDMETHODCALLTYPE get_value(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_layers(ILayersCollection** pVal) override;
    HRESULT STDMETHODCALLTYPE get_visible(VARIANT_BOOL* pVal) override;
    HRESULT STDMETHODCALLTYPE put_visible(VARIANT_BOOL newVal) override;
    HRESULT STDMETHODCALLTYPE get_x(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE put_x(LONG newVal) override;
    HRESULT STDMETHODCALLTYPE get_y(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE put_y(LONG newVal) override;
    HRESULT STDMETHODCALLTYPE get_cx(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE put_cx(LONG newVal) override;
    HRESULT STDMETHODCALLTYPE get_cy(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE put_cy(LONG newVal) override;
    HRESULT STDMETHODCALLTYPE get_BackColor(OLE_COLOR* pVal) override;
    HRESULT STDMETHODCALLTYPE put_BackColor(OLE_COLOR newVal) override;
    HRESULT STDMETHODCALLTYPE get_ForeColor(OLE_COLOR* pVal) override;
    HRESULT STDMETHODCALLTYPE put_ForeColor(OLE_COLOR newVal) override;
    HRESULT STDMETHODCALLTYPE get_Text(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE put_Text(BSTR newVal) override;
    HRESULT STDMETHODCALLTYPE get_sink(ILayerMessageSink** pVal) override;
    HRESULT STDMETHODCALLTYPE put_sink(ILayerMessageSink* newVal) override;
    HRESULT STDMETHODCALLTYPE Load(BSTR filename) override;
    HRESULT STDMETHODCALLTYPE LoadFromResource(BSTR typeName, LONG id) override;
    HRESULT STDMETHODCALLTYPE SetViewPort(LONG x1, LONG y1, LONG x2, LONG y2) override;
    HRESULT STDMETHODCALLTYPE MoveToXY(LONG x, LONG y) override;
    HRESULT STDMETHODCALLTYPE SetFont(BSTR name, LONG height, LONG width, LONG weight, VARIANT_BOOL italic,
                                      LONG quality) override;
    HRESULT STDMETHODCALLTYPE RenderPMARGB32(BYTE* pDst, ULONG dwDstPitch, RECT rectClip) override;

    // ILayersCollection (layer_collection.cpp)
    HRESULT STDMETHODCALLTYPE item(VARIANT index, VARIANT* pItem) override;
    HRESULT STDMETHODCALLTYPE get_length(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get__newEnum(IUnknown** ppEnum) override;
    HRESULT STDMETHODCALLTYPE Add(BSTR bstrName, ILayer* pNewLayer, ILayer** ppOutNewLayer) override;

private:
    enum Kind : int { kColour = 0, kImage = 1, kText = 2 };
    struct Child {
        com::Bstr name;
        com::Variant layer;  // VT_DISPATCH holding an ILayer
    };
    // Damage to report once the lock is released.
    struct Damage {
        com::ComPtr<ILayerMessageSink> sink;
        RECT rects[2];
        int count = 0;
        void Send();
    };

    Damage DamageLocked(std::initializer_list<RECT> rects) const;
    RECT Viewport() const;
    HRESULT ChangeViewport(const RECT& next);
    // A text colour changes the layer to text and redraws it.
    HRESULT SetTextColour(std::uint32_t Layer::*colour, OLE_COLOR value);
    void RasteriseTextLocked();
    // An image file or resource into the content surface (layer_image.cpp).
    HRESULT LoadContentImage(bool fromResource, BSTR fileOrType, LONG id);
    HRESULT FitImageLocked(bool firstLoad);
    std::vector<com::ComPtr<ILayer>> ChildLayers();

    mutable std::recursive_mutex lock_;  // the layer lock: every field but the children
    com::ComPtr<ILayerMessageSink> sink_;
    int kind_ = kColour;
    bool visible_ = false;
    RECT viewport_{0, 0, 0, 0};
    bool hasContent_ = false;
    ContentSurface content_;
    ContentSurface image_;  // an image as decoded, before it is fitted to the viewport
    std::uint32_t backColor_ = 0;
    std::uint32_t foreColor_ = 0xFFFFFFFF;
    std::wstring text_;
    std::wstring fileName_;
    BYTE scaling_ = 0;
    HFONT font_ = nullptr;

    std::recursive_mutex childrenLock_;  // the collection lock
    std::vector<Child> children_;
};

}  // namespace tl
