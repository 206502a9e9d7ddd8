// A layer of one premultiplied colour over a box, as a colour layer draws it;
// another thread may move it sideways or hide it while the compositor draws.
#pragma once
#include <algorithm>
#include <atomic>
#include <cstdint>

#include "convert/overlay_blitters.h"
#include "engine/framework/overlay_painter.h"

namespace tl::test {

class BoxPainter final : public OverlayPainter {
public:
    BoxPainter(DamageRect box, std::uint32_t colour)
        : left(box.left), width(box.right - box.left), top_(box.top), bottom_(box.bottom), colour_(colour) {}
    std::atomic<int> left;
    const int width;
    std::atomic<bool> visible{true};

    void setViewport(const DamageRect&) override {}
    void render(std::uint8_t* dst, int pitch, const DamageRect& clip) override {
        const int x = left;
        const DamageRect r{std::max(x, clip.left), std::max(top_, clip.top), std::min(x + width, clip.right),
                           std::min(bottom_, clip.bottom)};
        if (!visible || r.left >= r.right || r.top >= r.bottom) return;
        overlayRoutines().fillOver(dst + (r.top - clip.top) * pitch + (r.left - clip.left) * 4, pitch, colour_,
                                   r.right - r.left, r.bottom - r.top);
    }

private:
    const int top_, bottom_;
    const std::uint32_t colour_;
};

}  // namespace tl::test
