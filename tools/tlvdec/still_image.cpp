#include "tools/tlvdec/still_image.h"

#include <algorithm>

#include "convert/overlay_blitters.h"

namespace tl::tlvdec {

void StillImagePainter::render(std::uint8_t* dst, int pitch, const DamageRect& clip) {
    const int left = std::max(x_, clip.left), top = std::max(y_, clip.top);
    const int right = std::min(x_ + image_.width, clip.right), bottom = std::min(y_ + image_.height, clip.bottom);
    if (left >= right || top >= bottom) return;
    const int imagePitch = image_.width * 4;
    const std::uint8_t* src = image_.pixels.data() + std::size_t(top - y_) * std::size_t(imagePitch) +
                              std::size_t(left - x_) * 4;
    overlayRoutines().blendOver(dst + std::ptrdiff_t(top - clip.top) * pitch + std::ptrdiff_t(left - clip.left) * 4,
                                pitch, src, imagePitch, right - left, bottom - top);
}

}  // namespace tl::tlvdec
