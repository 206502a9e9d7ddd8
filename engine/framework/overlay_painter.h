// The layer tree as the decoder's compositor sees it: the filter's root layer
// on Windows, a still image in tlvdec, a flat box in the tests.
#pragma once
#include <cstdint>

#include "engine/framework/damage_queue.h"

namespace tl {

class OverlayPainter {
public:
    // The root's viewport becomes the whole overlay. Called on the worker after
    // every rebuild of the overlay; the tree may report damage back from inside.
    virtual void setViewport(const DamageRect& viewport) = 0;
    // Draws the tree, clipped to clip, over premultiplied B, G, R, A pixels:
    // dst is the pixel of (clip.left, clip.top), pitch is in bytes.
    virtual void render(std::uint8_t* dst, int pitch, const DamageRect& clip) = 0;

protected:
    ~OverlayPainter() = default;
};

}  // namespace tl
