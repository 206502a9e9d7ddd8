// Zeroing of coefficient blocks with aligned 128-bit stores.
#include <emmintrin.h>

#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels::sse2 {
namespace {

void clearWords(std::int16_t* words, int count) {
    __m128i* p = reinterpret_cast<__m128i*>(words);
    const __m128i zero = _mm_setzero_si128();
    for (int i = 0; i < count / 8; i += 4) {
        _mm_store_si128(p + i, zero);
        _mm_store_si128(p + i + 1, zero);
        _mm_store_si128(p + i + 2, zero);
        _mm_store_si128(p + i + 3, zero);
    }
}

}  // namespace

void clearBlock(std::int16_t* block) { clearWords(block, 64); }

void clearFourBlocks(std::int16_t* blocks) { clearWords(blocks, 4 * 64); }

}  // namespace tl::kernels::sse2
