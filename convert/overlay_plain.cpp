#include <cstring>

#include "convert/overlay_blitters.h"
#include "convert/overlay_rules.h"

namespace tl::plain {

using overlay_rules::over;

void blendOver(std::uint8_t* dst, int dstPitch, const std::uint8_t* src, int srcPitch, int width, int height) {
    for (int y = 0; y < height; ++y, dst += dstPitch, src += srcPitch)
        for (int x = 0; x < 4 * width; x += 4)
            for (int c = 0; c < 4; ++c) dst[x + c] = over(dst[x + c], src[x + c], src[x + 3]);
}

void fillOver(std::uint8_t* dst, int dstPitch, std::uint32_t colour, int width, int height) {
    std::uint8_t s[4];
    for (int c = 0; c < 4; ++c) s[c] = std::uint8_t(colour >> (8 * c));
    for (int y = 0; y < height; ++y, dst += dstPitch)
        for (int x = 0; x < 4 * width; x += 4)
            for (int c = 0; c < 4; ++c) dst[x + c] = over(dst[x + c], s[c], s[3]);
}

void clear(std::uint8_t* dst, int dstPitch, int width, int height) {
    for (int y = 0; y < height; ++y, dst += dstPitch) std::memset(dst, 0, std::size_t(width) * 4);
}

void toYuy2Form(std::uint8_t* dst, int dstPitch, int width, int height) {
    for (int y = 0; y < height; ++y, dst += dstPitch)
        for (int x = 0; x + 1 < width; x += 2) overlay_rules::yuy2Pair(dst + 4 * x, dst + 4 * x);
}

}  // namespace tl::plain
