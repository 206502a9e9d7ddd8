#include "convert/overlay_blitters.h"
#include "convert/overlay_mmx_rows.h"
#include "engine/base/simd_ops_mmx.h"

namespace tl::mmx {
namespace {

struct Ops : MmxPixelOps<simd::Mmx> {
    static V broadcastAlpha(V w) {
        const V a = _mm_srli_si64(w, 48);
        const V aa = _mm_or_si64(a, _mm_slli_si64(a, 16));
        return _mm_or_si64(aa, _mm_slli_si64(aa, 32));
    }
    static V swapDwords(V v) { return _mm_or_si64(_mm_srli_si64(v, 32), _mm_slli_si64(v, 32)); }
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

}  // namespace tl::mmx
