#include "convert/overlay_blitters.h"
#include "convert/overlay_mmx_rows.h"
#include "engine/base/simd_ops_sse.h"

namespace tl::sse {
namespace {

// pshufw moves the lanes in one instruction where MMX needs shifts and ors.
struct Ops : MmxPixelOps<simd::Sse> {
    static V broadcastAlpha(V w) { return _mm_shuffle_pi16(w, _MM_SHUFFLE(3, 3, 3, 3)); }
    static V swapDwords(V v) { return _mm_shuffle_pi16(v, _MM_SHUFFLE(1, 0, 3, 2)); }
};

}  // namespace

void blendOver(std::uint8_t* dst, int dstPitch, const std::uint8_t* src, int srcPitch, int width, int height) {
    blendOverRows<Ops>(dst, dstPitch, src, srcPitch, width, height);
}
void fillOver(std::uint8_t* dst, int dstPitch, std::uint32_t colour, int width, int height) {
    fillOverRows<Ops>(dst, dstPitch, colour, width, height);
}
void toYuy2Form(std::uint8_t* dst, int dstPitch, int width, int height) {
    toYuy2FormRows<Ops>(dst, dstPitch, width, height);
}

}  // namespace tl::sse
