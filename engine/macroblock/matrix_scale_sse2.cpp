// Weighting matrix times quantiser scale, low 16 bits, eight entries at a time.
#include <emmintrin.h>

#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels::sse2 {

void scaleMatrix(std::uint16_t* dst, const std::uint16_t* weights, int scale) {
    const __m128i s = _mm_set1_epi16(static_cast<short>(scale));
    for (int i = 0; i < 64; i += 8) {
        const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_mullo_epi16(w, s));
    }
}

}  // namespace tl::kernels::sse2
