// Weighting matrix times quantiser scale, low 16 bits, four entries at a time.
#include <mmintrin.h>

#include <cstring>

#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels::mmx {

void scaleMatrix(std::uint16_t* dst, const std::uint16_t* weights, int scale) {
    const __m64 s = _mm_set1_pi16(static_cast<short>(scale));
    for (int i = 0; i < 64; i += 4) {
        __m64 w;
        std::memcpy(&w, weights + i, sizeof w);
        const __m64 product = _mm_mullo_pi16(w, s);
        std::memcpy(dst + i, &product, sizeof product);
    }
    _mm_empty();
}

}  // namespace tl::kernels::mmx
