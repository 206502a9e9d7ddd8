// The dense-block form of a macroblock's coefficients: decoded and
// inverse-quantised against the cached scaled matrices into zeroed blocks,
// ready for the host inverse DCT. Used by the software slice layer and by
// accelerators that take spatial residuals from the host. Inline: the choice
// of matrices is a few loads on every coded macroblock, cheaper than a call.
#pragma once
#include <cstdint>

#include "engine/macroblock/coefficient_loop.h"
#include "engine/macroblock/local_bits.h"
#include "engine/macroblock/parser_state.h"
#include "engine/macroblock/picture_params.h"
#include "engine/macroblock/scaled_matrix_cache.h"

namespace tl {

// Both decoders write only the coefficients they decode: the blocks they are
// handed must be all zero (the transform stores leave them so).

// All block_count blocks of an intra macroblock into `blocks` (consecutive,
// 16-byte aligned); updates the DC predictors.
inline HResult decodeIntraMacroblockBlocks(LocalBits& bits, const PictureParams& p, ParserState& state,
                                           ScaledMatrixCache& matrices, std::int16_t* blocks) {
    IntraBlockJob job;
    job.blockCount = p.block_count;
    job.lumaWeights = matrices.get(MATRIX_INTRA_LUMA, state.quantiser_scale);
    job.chromaWeights = p.chroma_format == CHROMA_420 ? job.lumaWeights
                                                      : matrices.get(MATRIX_INTRA_CHROMA, state.quantiser_scale);
    job.scan = p.scan;
    job.b15 = p.intra_vlc_format;
    job.dcShift = p.intra_dc_shift;
    job.dcPredictors = state.dc_dct_pred;
    job.blocks = blocks;
    return decodeIntraBlocks(bits, job, state.errors);
}

// The blocks `pattern` marks (bits 20-31), one after the other from `blocks`.
inline HResult decodeNonIntraMacroblockBlocks(LocalBits& bits, const PictureParams& p, ParserState& state,
                                              ScaledMatrixCache& matrices, std::uint32_t pattern,
                                              std::int16_t* blocks) {
    const std::uint16_t* lumaWeights = nullptr;
    const std::uint16_t* chromaWeights = nullptr;
    if (pattern & 0xF0000000u) lumaWeights = matrices.get(MATRIX_NON_INTRA_LUMA, state.quantiser_scale);
    if (pattern & 0x0FF00000u) {
        chromaWeights = p.chroma_format == CHROMA_420
                            ? (lumaWeights ? lumaWeights : matrices.get(MATRIX_NON_INTRA_LUMA, state.quantiser_scale))
                            : matrices.get(MATRIX_NON_INTRA_CHROMA, state.quantiser_scale);
    }
    return decodeNonIntraBlocks(bits, blocks, pattern, lumaWeights, chromaWeights, p.scan, state.errors);
}

}  // namespace tl
