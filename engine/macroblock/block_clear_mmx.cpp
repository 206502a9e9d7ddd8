// Zeroing of coefficient blocks with 64-bit stores.
#include <mmintrin.h>

#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels::mmx {
namespace {

void clearWords(std::int16_t* words, int count) {
    __m64* p = reinterpret_cast<__m64*>(words);
    const __m64 zero = _mm_setzero_si64();
    for (int i = 0; i < count / 4; i += 4) {
        p[i] = zero;
        p[i + 1] = zero;
        p[i + 2] = zero;
        p[i + 3] = zero;
    }
    _mm_empty();
}

}  // namespace

void clearBlock(std::int16_t* block) { clearWords(block, 64); }

void clearFourBlocks(std::int16_t* blocks) { clearWords(blocks, 4 * 64); }

}  // namespace tl::kernels::mmx
