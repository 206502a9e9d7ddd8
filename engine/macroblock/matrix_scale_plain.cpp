// Weighting matrix times quantiser scale, kept to the low 16 bits as the
// 16-bit multiplies of the SIMD tiers keep it.
#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels::plain {

void scaleMatrix(std::uint16_t* dst, const std::uint16_t* weights, int scale) {
    const auto s = static_cast<std::uint32_t>(scale);
    for (int i = 0; i < 64; ++i) dst[i] = static_cast<std::uint16_t>(weights[i] * s);
}

}  // namespace tl::kernels::plain
