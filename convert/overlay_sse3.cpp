#include <pmmintrin.h>

#include "convert/overlay_blitters.h"
#include "convert/overlay_sse2_rows.h"

namespace tl::sse3 {
namespace {

// lddqu loads an unaligned 16 bytes without the split-line penalty of movdqu
// on the processors that introduced it; layer surfaces are rarely aligned.
struct Ops : Sse2PixelOps {
    static V load(const std::uint8_t* p) { return _mm_lddqu_si128(reinterpret_cast<const __m128i*>(p)); }
};

}  // namespace

void blendOver(std::uint8_t* dst, int dstPitch, const std::uint8_t* src, int srcPitch, int width, int height) {
    blendOverRows<Ops>(dst, dstPitch, src, srcPitch, width, height);
}
void fillOver(std::uint8_t* dst, int dstPitch, std::uint32_t colour, int width, int height) {
    fillOverRows<Ops>(dst, dstPitch, colour, width, height);
}

}  // namespace tl::sse3
