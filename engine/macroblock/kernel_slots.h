// The process-wide table of block kernels of the slice and macroblock layer,
// filled once at module load from CPUID (and, in tests and tlvdec, forced to
// a given tier). Every tier of a slot gives bit-identical results.
#pragma once
#include <cstdint>

#include "engine/base/cpu_features.h"

namespace tl {

// Coefficient blocks: 64 int16 in natural order, 128 bytes, 16-byte aligned.
// Kernels that take several blocks take them consecutively in memory.
struct KernelSlots {
    // In-place inverse DCT of `count` (> 0) consecutive blocks.
    void (*idct)(std::int16_t* blocks, int count);
    // dst[i] = weights[i] * scale (low 16 bits), 64 entries.
    void (*scaleMatrix)(std::uint16_t* dst, const std::uint16_t* weights, int scale);
    // Transform stores: the coefficient blocks go through the inverse DCT (the
    // bits of `idct`) into the picture, and are left all zero.
    // Luma 16x16 from blocks 0..3: sample = sat8(sat16(residual) + 128).
    // Frame form: blocks are the four 8x8 quadrants. Field form: blocks 0/1 fill
    // the even lines, 2/3 the odd lines.
    void (*intraStore16Frame)(std::uint8_t* dst, int stride, std::int16_t* blocks);
    void (*intraStore16Field)(std::uint8_t* dst, int stride, std::int16_t* blocks);
    // Luma 16x16 residual add from blocks 0..3: sample = sat8(prediction + residual).
    void (*addResidual16Frame)(std::uint8_t* dst, int stride, std::int16_t* blocks);
    void (*addResidual16Field)(std::uint8_t* dst, int stride, std::int16_t* blocks);
    void (*addResidual8)(std::uint8_t* dst, int stride, std::int16_t* block);
    void (*intraStore8)(std::uint8_t* dst, int stride, std::int16_t* block);
    // 8 wide, 16 high from an upper and a lower block (4:2:2 and 4:4:4 chroma).
    // Field form: upper block on the even lines, lower on the odd lines.
    void (*intraStore8x16Frame)(std::uint8_t* dst, int stride, std::int16_t* upper, std::int16_t* lower);
    void (*intraStore8x16Field)(std::uint8_t* dst, int stride, std::int16_t* upper, std::int16_t* lower);

    // Motion compensation, `height` 4, 8 or 16. One-direction: (dst, src, stride, height), index
    // 2 * vertical half + horizontal half. Two-source average: (src1, src2, dst,
    // stride, height), index 8 * v1 + 4 * h1 + 2 * v2 + h2. Wide = 16 columns,
    // narrow = 8 columns.
    using PredictFn = void (*)(std::uint8_t* dst, const std::uint8_t* src, int stride, int height);
    using AverageFn = void (*)(const std::uint8_t* src1, const std::uint8_t* src2, std::uint8_t* dst,
                               int stride, int height);
    PredictFn predictWide[4];
    PredictFn predictNarrow[4];
    AverageFn averageWide[16];
    AverageFn averageNarrow[16];
};

// The active slots. Valid from module load on.
const KernelSlots& kernelSlots();

// The kernels start at detectedKernelTier() (SSE3 and AVX2 use the SSE2 kernels). A
// processor without MMX gets the plain C++ kernels, which give the same
// results, so the software decoder still runs there.
KernelTier activeKernelTier();

// Test and tool hook: make `tier` the active one (clamped to what the processor
// supports). Not thread safe against decoding in progress.
void forceKernelTier(KernelTier tier);

// The slots of one tier, for comparing tiers directly in tests. Only tiers up
// to detectedKernelTier() may be called on this processor.
const KernelSlots& kernelSlotsFor(KernelTier tier);

}  // namespace tl
