// One macroblock after its address increment: macroblock modes, motion
// vectors, coded block pattern and the predictor rules that follow them. The
// blocks themselves go through `Blocks`, which decides their form: dense blocks
// for the host inverse DCT, or run lists for an accelerator that does its own.
//
// Blocks provides
//   HResult intra(LocalBits&)                         all blocks of an intra macroblock
//   HResult nonIntra(LocalBits&, std::uint32_t cbp)   the coded blocks, cbp in bits 20-31
#pragma once
#include <cstdint>

#include "engine/base/picture.h"
#include "engine/macroblock/coded_block_pattern.h"
#include "engine/macroblock/local_bits.h"
#include "engine/macroblock/macroblock_flags.h"
#include "engine/macroblock/macroblock_modes.h"
#include "engine/macroblock/motion_vectors.h"
#include "engine/macroblock/parser_state.h"
#include "engine/macroblock/picture_params.h"

namespace tl {

constexpr std::uint32_t allBlocksCoded(int block_count) {
    return ((1u << block_count) - 1) << (32 - block_count);
}

// `flags` receives the complete flags word.
template <class Blocks>
HResult parseMacroblock(LocalBits& bits, const PictureParams& p, ParserState& state, Blocks& blocks,
                        std::uint32_t& flags) {
    MacroblockModes modes;
    if (HResult r = parseMacroblockModes(bits, p, state, modes); r != hr::ok) return r;
    const bool intra = modes.flags & mb::intra;
    const bool concealment = intra && p.concealment_motion_vectors;
    if ((modes.flags & mb::motionForward) || concealment) {
        if (HResult r = parseMotionVectors(bits, p, state, modes, 0); r != hr::ok) return r;
    }
    if (modes.flags & mb::motionBackward) {
        if (HResult r = parseMotionVectors(bits, p, state, modes, 1); r != hr::ok) return r;
    }
    flags = modes.flags;

    if (intra) {
        if (concealment) {
            if (HResult r = bits.ensure(1); r != hr::ok) return r;
            bits.skip(1);  // marker_bit
        }
        flags |= allBlocksCoded(p.block_count);
        if (HResult r = blocks.intra(bits); r != hr::ok) return r;
        if (!concealment) state.resetMotionPredictors();
        return hr::ok;
    }

    std::uint32_t pattern = 0;
    if (flags & mb::pattern) {
        if (HResult r = parseCodedBlockPattern(bits, p.chroma_format, pattern, state.errors); r != hr::ok)
            return r;
        pattern <<= mb::cbpShift;
        flags |= pattern;
    }
    if (pattern) {
        if (HResult r = blocks.nonIntra(bits, pattern); r != hr::ok) return r;
    }
    state.resetDcPredictors();

    if (p.picture_coding_type == PICTURE_P && !(flags & mb::motionForward)) {
        // No motion compensation: a zero forward vector from the same parity.
        state.PMV[0][0][0] = state.PMV[0][0][1] = 0;
        state.PMV[1][0][0] = state.PMV[1][0][1] = 0;
        flags &= ~mb::motionTypeMask;
        flags |= mb::motionForward;
        if (p.framePicture()) {
            flags |= MC_FRAME << mb::motionTypeShift;
        } else {
            flags |= MC_FIELD << mb::motionTypeShift;
            if (p.picture_structure == BOTTOM_FIELD) flags |= mb::fieldSelect(0, 0);
        }
    }
    if (motionTypeOf(flags) == MC_DUAL_PRIME) applyDualPrime(p, state, flags);
    return hr::ok;
}

}  // namespace tl
