#include "convert/overlay_blitters.h"
#include "convert/overlay_sse2_rows.h"

namespace tl::sse2 {

void blendOver(std::uint8_t* dst, int dstPitch, const std::uint8_t* src, int srcPitch, int width, int height) {
    blendOverRows<Sse2PixelOps>(dst, dstPitch, src, srcPitch, width, height);
}
void fillOver(std::uint8_t* dst, int dstPitch, std::uint32_t colour, int width, int height) {
    fillOverRows<Sse2PixelOps>(dst, dstPitch, colour, width, height);
}
void clear(std::uint8_t* dst, int dstPitch, int width, int height) {
    const __m128i z = _mm_setzero_si128();
    for (int y = 0; y < height; ++y, dst += dstPitch) {
        int x = 0;
        for (; x + 4 <= width; x += 4) Sse2PixelOps::store(dst + 4 * x, z);
        std::memset(dst + 4 * x, 0, std::size_t(width - x) * 4);
    }
}
void toYuy2Form(std::uint8_t* dst, int dstPitch, int width, int height) {
    toYuy2FormRows(dst, dstPitch, width, height);
}

}  // namespace tl::sse2
