// Inverse DCT on MMX registers.
#include "engine/macroblock/idct_mmx_passes.h"
#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels::mmx {
namespace {

__m64 swapWordPairs(__m64 v) { return _mm_or_si64(_mm_srli_pi32(v, 16), _mm_slli_pi32(v, 16)); }

}  // namespace

void idct(std::int16_t* blocks, int count) {
    for (int n = 0; n < count; ++n, blocks += 64) idctBlock<swapWordPairs>(blocks);
    _mm_empty();
}

}  // namespace tl::kernels::mmx
