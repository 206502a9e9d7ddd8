// The instruction-set tiers of every SIMD kernel family (block kernels,
// conversion, overlay blitters), lowest first. Plain is the C++ reference the
// other tiers are tested against; every tier gives it byte for byte.
#pragma once

namespace tl {

enum class KernelTier : int {
    Plain = 0,
    MMX = 1,
    SSE = 2,
    SSE2 = 3,
    SSE3 = 4,
    // Only the conversion family has AVX2 kernels; the others run their SSE2
    // ones at this tier.
    AVX2 = 5,
    // The conversion and overlay tests name the same tiers in this spelling.
    Mmx = MMX,
    Sse = SSE,
    Sse2 = SSE2,
    Sse3 = SSE3,
    Avx2 = AVX2,
};

}  // namespace tl
