// tlvdec's --overlay: a BMP file drawn over every picture through the
// decoder's compositor, as a layer tree of one image layer would be.
#pragma once
#include <cstdint>
#include <utility>

#include "engine/framework/overlay_painter.h"
#include "tools/tlvdec/bmp_file.h"

namespace tl::tlvdec {

// The image with its top left corner at (x, y) in picture pixels. It only reads
// its pixels, so decoders on several threads may share one.
class StillImagePainter final : public OverlayPainter {
public:
    StillImagePainter(PremultipliedImage image, int x, int y) : image_(std::move(image)), x_(x), y_(y) {}
    void setViewport(const DamageRect&) override {}
    void render(std::uint8_t* dst, int pitch, const DamageRect& clip) override;

private:
    PremultipliedImage image_;
    int x_, y_;
};

}  // namespace tl::tlvdec
