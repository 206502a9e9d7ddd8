// The kernels of each instruction-set tier, from which kernel_slots.cpp builds
// the slot tables. A tier's files are compiled with exactly its instruction set
// (see tl_simd_sources), so nothing here may be called on a processor that
// lacks the tier.
//
// A tier only provides the kernels it does better than the tier below it; the
// remaining slots are inherited. In the motion tables an empty entry means the
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

// Declares the block kernels with the signatures of their slots.
#define TL_BLOCK_KERNELS_16                                                                     \
    void scaleMatrix(std::uint16_t* dst, const std::uint16_t* weights, int scale);              \
    void clearBlock(std::int16_t* block);                                                       \
    void clearFourBlocks(std::int16_t* blocks);                                                 \
    void intraStore16Frame(std::uint8_t* dst, int stride, const std::int16_t* blocks);          \
    void intraStore16Field(std::uint8_t* dst, int stride, const std::int16_t* blocks);          \
    void addResidual16Frame(std::uint8_t* dst, int stride, const std::int16_t* blocks);         \
    void addResidual16Field(std::uint8_t* dst, int stride, const std::int16_t* blocks);
#define TL_BLOCK_KERNELS_8                                                                      \
    void addResidual8(std::uint8_t* dst, int stride, const std::int16_t* block);                \
    void intraStore8(std::uint8_t* dst, int stride, const std::int16_t* block);                 \
    void intraStore8x16Frame(std::uint8_t* dst, int stride, const std::int16_t* upper,          \
                             const std::int16_t* lower);                                        \
    void intraStore8x16Field(std::uint8_t* dst, int stride, const std::int16_t* upper,          \
                             const std::int16_t* lower);

namespace plain {
void idct(std::int16_t* blocks, int count);
TL_BLOCK_KERNELS_16
TL_BLOCK_KERNELS_8
extern const MotionKernels motion;
}  // namespace plain

namespace mmx {
void idct(std::int16_t* blocks, int count);
TL_BLOCK_KERNELS_16
TL_BLOCK_KERNELS_8
extern const MotionKernels motion;
}  // namespace mmx

namespace sse {
void idct(std::int16_t* blocks, int count);
extern const MotionKernels motion;
}  // namespace sse

namespace sse2 {
void idct(std::int16_t* blocks, int count);
TL_BLOCK_KERNELS_16
TL_BLOCK_KERNELS_8
extern const MotionKernels motion;
}  // namespace sse2

#undef TL_BLOCK_KERNELS_16
#undef TL_BLOCK_KERNELS_8

}  // namespace tl::kernels
