#include "engine/macroblock/concealment.h"

#include <cstring>

namespace tl {
namespace {

// Copies a w x h block at (x, y) of a frame, or of one field of it (every second
// line from `parity` when step is 2).
void copyBlock(std::uint8_t* dst, const std::uint8_t* src, int stride, int x, int y, int w, int h, int step,
               int parity) {
    for (int row = 0; row < h; ++row) {
        const std::size_t at = std::size_t((y + row) * step + parity) * std::size_t(stride) + std::size_t(x);
        std::memcpy(dst + at, src + at, std::size_t(w));
    }
}

}  // namespace

void ConcealUnreached(const PictureParams& p, const PictureTargets& t, const std::vector<std::uint8_t>& reached) {
    const Picture* ref = t.forward ? t.forward : t.backward;
    Picture* cur = t.current;
    if (!ref || ref == cur || !cur->planes[0] || !ref->planes[0] || ref->lumaStride != cur->lumaStride ||
        ref->lumaSize != cur->lumaSize || ref->chromaStride != cur->chromaStride || ref->chromaFormat != cur->chromaFormat)
        return;
    const bool field = !p.framePicture();
    const int step = field ? 2 : 1;
    const int parity = p.picture_structure == BOTTOM_FIELD ? 1 : 0;
    const int chromaW = p.chroma_format == CHROMA_444 ? 16 : 8;
    const int chromaH = p.chroma_format == CHROMA_420 ? 8 : 16;
    for (std::int32_t a = 0; a < p.mb_count && std::size_t(a) < reached.size(); ++a) {
        if (reached[std::size_t(a)]) continue;
        const int mx = a % p.mb_width, my = a / p.mb_width;
        copyBlock(cur->planes[0], ref->planes[0], cur->lumaStride, mx * 16, my * 16, 16, 16, step, parity);
        for (int c = 1; c < 3; ++c)
            copyBlock(cur->planes[c], ref->planes[c], cur->chromaStride, mx * chromaW, my * chromaH, chromaW, chromaH,
                      step, parity);
    }
}

}  // namespace tl
