#include "convert/dispatch.h"

#include <cstring>

namespace tl {
namespace {

void copyPlanar(const Picture& p, std::uint8_t* dst) {
    const int cw = p.chromaFormat == 3 ? p.width : (p.width + 1) / 2;
    const int ch = p.chromaFormat == 1 ? (p.height + 1) / 2 : p.height;
    for (int y = 0; y < p.height; ++y, dst += p.width)
        std::memcpy(dst, p.planes[0] + y * p.lumaStride, p.width);
    for (int c = 1; c < 3; ++c)
        for (int y = 0; y < ch; ++y, dst += cw) std::memcpy(dst, p.planes[c] + y * p.chromaStride, cw);
}

}  // namespace

std::int32_t planarImageSize(const Picture& p) {
    const int cw = p.chromaFormat == 3 ? p.width : (p.width + 1) / 2;
    const int ch = p.chromaFormat == 1 ? (p.height + 1) / 2 : p.height;
    return p.width * p.height + 2 * cw * ch;
}

void ConvertProgressive(const Picture& picture, const ConversionContext& context, std::uint8_t* dst, int) {
    if (context.outputFormat == OUTPUT_PLANAR) copyPlanar(picture, dst);
}

void ConvertWeave(const Picture& picture, const ConversionContext& context, std::uint8_t* dst, int) {
    if (context.outputFormat == OUTPUT_PLANAR) copyPlanar(picture, dst);
}

void ConvertSoftwareBob(const Picture& picture, const ConversionContext& context, std::uint8_t* dst, int) {
    if (context.outputFormat == OUTPUT_PLANAR) copyPlanar(picture, dst);
}

void ConvertFieldBob(const Picture& picture, const ConversionContext& context, std::uint8_t* dst, int,
                     std::uint8_t) {
    if (context.outputFormat == OUTPUT_PLANAR) copyPlanar(picture, dst);
}

}  // namespace tl
