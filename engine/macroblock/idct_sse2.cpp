// Inverse DCT on 128-bit registers, in place (idct_sse2_block.h).
#include <emmintrin.h>

#include "engine/macroblock/idct_sse2_block.h"
#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels::sse2 {

void idct(std::int16_t* blocks, int count) {
    for (int n = 0; n < count; ++n, blocks += 64) {
        _mm_prefetch(reinterpret_cast<const char*>(blocks + 2 * 64), _MM_HINT_NTA);
        idctToRegisters(blocks, reinterpret_cast<__m128i*>(blocks));
    }
}

}  // namespace tl::kernels::sse2
