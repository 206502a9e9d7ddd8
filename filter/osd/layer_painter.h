// The filter's root layer as the decoder core draws it: the compositor's calls
// become ILayer calls on the decoder's worker thread.
#pragma once
#include <FilterVideoDecoder.h>

#include "engine/framework/overlay_painter.h"
#include "filter/com/com_ptr.h"

namespace tl {

class LayerPainter final : public OverlayPainter {
public:
    explicit LayerPainter(ILayer* root) : root_(root) {}

    void setViewport(const DamageRect& v) override { root_->SetViewPort(v.left, v.top, v.right, v.bottom); }
    void render(std::uint8_t* dst, int pitch, const DamageRect& clip) override {
        root_->RenderPMARGB32(dst, ULONG(pitch), RECT{clip.left, clip.top, clip.right, clip.bottom});
    }

private:
    com::ComPtr<ILayer> root_;
};

}  // namespace tl
