#include "engine/dxva/macroblock_records.h"

#include <algorithm>

#include "engine/dxva/dxva_structures.h"
#include "engine/dxva/little_endian.h"
#include "engine/macroblock/macroblock_flags.h"

namespace tl::dxva {
namespace {

void putVector(std::uint8_t* out, int slot, const std::int32_t* v) {
    put16(out + 16 + 4 * slot, std::uint16_t(v[0]));
    put16(out + 18 + 4 * slot, std::uint16_t(v[1]));
}

}  // namespace

void writeControlRecord(std::uint8_t* out, const ControlRecord& r) {
    std::uint32_t flags = r.flags;
    const bool intra = flags & mb::intra;
    const bool neither = !intra && !(flags & (mb::motionForward | mb::motionBackward));
    if (neither) flags |= mb::motionForward;
    std::uint32_t type = flags & 0xFFFF;
    if (r.alternateScan) type |= kMBtypeAlternateScan;
    if (r.hostResidual) type |= kMBtypeHostResidDiff;
    put16(out, r.address);
    put16(out + 2, type);
    put32(out + 4, r.residualOffset / 4);
    put16(out + 8, (flags >> mb::cbpShift) & 0xFFF);
    for (int b = 0; b < kBlocksPerMacroblock; ++b) out[10 + b] = r.counts ? std::uint8_t(r.counts[b]) : 0;
    if (!r.withVectors || intra) return;

    // Slots: first forward, first backward, second forward, second backward.
    static constexpr std::int32_t kZero[2] = {0, 0};
    if (neither) {
        putVector(out, 0, kZero);
        putVector(out, 2, kZero);
        return;
    }
    const bool dualPrime = motionTypeOf(flags) == MC_DUAL_PRIME;
    for (int s = 0; s < 2; ++s) {
        if (!dualPrime && !(flags & (mb::motionForward << s))) continue;
        putVector(out, s, r.pmv[0][s]);
        putVector(out, 2 + s, r.pmv[1][s]);
    }
}

std::size_t writeIntraResidual8(std::uint8_t* out, const std::int16_t* blocks) {
    constexpr int kSamples = 64 * kBlocksPerMacroblock;
    for (int i = 0; i < kSamples; ++i)
        out[i] = std::uint8_t(std::int8_t(std::clamp<std::int16_t>(blocks[i], -128, 127)));
    return kSamples;
}

std::size_t writeResidual16(std::uint8_t* out, const std::int16_t* blocks, int count) {
    for (int i = 0; i < 64 * count; ++i) put16(out + 2 * i, std::uint16_t(blocks[i]));
    return 128 * std::size_t(count);
}

}  // namespace tl::dxva
