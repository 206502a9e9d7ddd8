// The kernels of each instruction-set tier, from which kernel_slots.cpp builds
// the slot tables. A tier's files are compiled with exactly its instruction set
// (see tl_simd_sources), so nothing here may be called on a processor that
// lacks the tier.
//
// A tier only provides the kernels it does better than the tier below it; the
// remaining slots are inherited (the SSE tier has its own transform stores, so
// they use its inverse DCT). In the motion tables an empty entry means the
// same: the SSE tier adds byte averaging to the half-sample, two-source
// and both-halves kernels and keeps the MMX copy kernels, and the SSE2 tier
// keeps only the narrow copy. The SSE2 tier also has 128-bit forms of the
// 8-wide stores and predictions, two picture rows per register.
#pragma once
#include <array>
#include <cstdint>

#include "engine/macroblock/kernel_slots.h"

namespace tl::kernels {

struct MotionKernels {
    std::array<KernelSlots::PredictFn, 4> predictWide;
    std::array<KernelSlots::PredictFn, 4> predictNarrow;
    std::array<KernelSlots::AverageFn, 16> averageWide;
    std::array<KernelSlots::AverageFn, 16> averageNarrow;
};

// The eight transform stores of coefficient blocks into the picture, in the
// order of their slots.
struct BlockStores {
    using StoreFn = decltype(KernelSlots::addResidual8);
    using StorePairFn = decltype(KernelSlots::intraStore8x16Frame);
    StoreFn intraStore16Frame, intraStore16Field, addResidual16Frame, addResidual16Field;
    StoreFn addResidual8, intraStore8;
    StorePairFn intraStore8x16Frame, intraStore8x16Field;
};

// Declares the kernels of a tier that provides all of them.
#define TL_FULL_KERNEL_TIER                                                                     \
    void idct(std::int16_t* blocks, int count);                                                 \
    void scaleMatrix(std::uint16_t* dst, const std::uint16_t* weights, int scale);              \
    extern const BlockStores stores;                                                            \
    extern const MotionKernels motion;

namespace plain {
TL_FULL_KERNEL_TIER
}  // namespace plain

namespace mmx {
TL_FULL_KERNEL_TIER
}  // namespace mmx

namespace sse {
void idct(std::int16_t* blocks, int count);
extern const BlockStores stores;
extern const MotionKernels motion;
}  // namespace sse

namespace sse2 {
TL_FULL_KERNEL_TIER
}  // namespace sse2

#undef TL_FULL_KERNEL_TIER

}  // namespace tl::kernels
