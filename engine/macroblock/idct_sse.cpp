// Inverse DCT on MMX registers with the SSE additions: a word shuffle for the
// row outputs, and a prefetch of the block two ahead.
#include <xmmintrin.h>

#include "engine/macroblock/idct_mmx_passes.h"
#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels::sse {
namespace {

__m64 swapWordPairs(__m64 v) { return _mm_shuffle_pi16(v, _MM_SHUFFLE(2, 3, 0, 1)); }

}  // namespace

void idct(std::int16_t* blocks, int count) {
    for (int n = 0; n < count; ++n, blocks += 64) {
        _mm_prefetch(reinterpret_cast<const char*>(blocks + 2 * 64), _MM_HINT_NTA);
        idctBlock<swapWordPairs>(blocks);
    }
    _mm_empty();
}

}  // namespace tl::kernels::sse
