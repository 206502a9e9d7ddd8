// Image layers: Load and LoadFromResource, and fitting the image to the viewport.
#include <algorithm>

#include "filter/com/hresult_error.h"
#include "filter/osd/image_codec.h"
#include "filter/osd/layer.h"

namespace tl {

HRESULT STDMETHODCALLTYPE Layer::Load(BSTR filename) { return LoadContentImage(false, filename, 0); }

HRESULT STDMETHODCALLTYPE Layer::LoadFromResource(BSTR typeName, LONG id) {
    if (!typeName) return E_POINTER;
    return LoadContentImage(true, typeName, id);
}

HRESULT Layer::LoadContentImage(bool fromResource, BSTR fileOrType, LONG id) {
    return com::Guarded([&]() -> HRESULT {
        const std::wstring name = com::ToString(fileOrType);
        {
            std::lock_guard<std::recursive_mutex> hold(lock_);
            hasContent_ = false;
            content_ = ContentSurface{};
        }
        ContentSurface decoded;
        HRESULT hr;
        if (fromResource) {
            com::ComPtr<IStream> stream;
            hr = OpenResourceStream(name.c_str(), int(id), stream.Out());
            if (SUCCEEDED(hr)) hr = DecodeImageStream(stream.Get(), decoded);
        } else {
            hr = DecodeImageFile(name.c_str(), decoded);
        }
        Damage damage;
        {
            std::lock_guard<std::recursive_mutex> hold(lock_);
            if (FAILED(hr)) {
                // A file that cannot be shown leaves a colour layer where it was, silently;
                // a resource reports why.
                kind_ = kColour;
                return fromResource ? hr : S_OK;
            }
            const RECT old = viewport_;
            image_ = std::move(decoded);
            if (!fromResource) fileName_ = name;
            kind_ = kImage;
            hr = FitImageLocked(true);
            if (FAILED(hr)) return hr;
            damage = DamageLocked({{std::min(old.left, viewport_.left), std::min(old.top, viewport_.top),
                                    std::max(old.right, viewport_.right), std::max(old.bottom, viewport_.bottom)}});
        }
        damage.Send();
        return S_OK;
    });
}

HRESULT Layer::FitImageLocked(bool firstLoad) {
    if (firstLoad) {
        viewport_.right = viewport_.left + image_.width;
        viewport_.bottom = viewport_.top + image_.height;
    }
    const int w = viewport_.right - viewport_.left, h = viewport_.bottom - viewport_.top;
    hasContent_ = false;
    if (w < 1 || h < 1 || image_.width < 1) return S_OK;
    if (w == image_.width && h == image_.height) {
        content_ = image_;
        hasContent_ = true;
        return S_OK;
    }
    const HRESULT hr = ScaleImage(image_, w, h, scaling_ != 0, content_);
    hasContent_ = SUCCEEDED(hr);
    return hr;
}

}  // namespace tl
