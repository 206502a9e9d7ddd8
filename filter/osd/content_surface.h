// What a layer draws of its own: premultiplied B, G, R, A pixels, rows top down
// and 4 * width bytes apart, rasterised text or a fitted image.
#pragma once
#include <cstdint>
#include <vector>

namespace tl {

struct ContentSurface {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;

    int pitch() const { return width * 4; }
    // Resized (contents undefined) unless it already has this size.
    void resize(int w, int h) {
        if (w == width && h == height) return;
        pixels.resize(std::size_t(w) * std::size_t(h) * 4);
        width = w;
        height = h;
    }
};

}  // namespace tl
