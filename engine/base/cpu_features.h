#pragma once
#include <cstdint>

#include "engine/base/simd_tier.h"

namespace tl {

// CPUID leaf 1 EDX with bit 20 replaced by ECX bit 0 (SSE3) and bit 30 set
// when AVX2 can run: leaf 7's AVX2 bit, and the operating system saving the
// YMM registers (OSXSAVE, and XGETBV reporting the SSE and AVX state). 0 when
// the processor reports no leaf 1.
std::uint32_t cpuFeatureWord();

namespace cpu_bit {
inline constexpr std::uint32_t sse3 = 1u << 20;
inline constexpr std::uint32_t mmx = 1u << 23;
inline constexpr std::uint32_t sse = 1u << 25;
inline constexpr std::uint32_t sse2 = 1u << 26;
inline constexpr std::uint32_t avx2 = 1u << 30;  // a bit leaf 1 EDX leaves reserved
}  // namespace cpu_bit

// The highest tier a feature word offers: each tier needs its own bit and every
// bit below it, so a word with a tier switched off by the settings never
// selects a tier above it.
KernelTier tierOfFeatures(std::uint32_t features);

// The best tier this processor offers (CPUID, not the filter's settings): the
// first of AVX2, SSE3, SSE2, SSE, MMX that it reports, else Plain. AVX2 sits
// above SSE3, so the setting that switches SSE3 off switches AVX2 off too.
KernelTier detectedKernelTier();

}  // namespace tl
