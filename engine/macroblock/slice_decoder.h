// One slice, parsed macroblock by macroblock: the macroblock loop with
// skipped macroblocks, and each macroblock's modes, vectors, pattern and
// blocks. Each coded macroblock, with the skipped ones before it, goes to
// reconstruction at once, while its blocks are still in the first-level cache.
#pragma once
#include <cstdint>

#include "engine/framework/bit_reader.h"
#include "engine/macroblock/parser_state.h"
#include "engine/macroblock/picture_params.h"
#include "engine/macroblock/block_buffer.h"
#include "engine/macroblock/reconstruct.h"
#include "engine/macroblock/scaled_matrix_cache.h"

namespace tl {

struct SliceContext {
    const PictureParams& params;
    ParserState& state;
    ScaledMatrixCache& matrices;
    BlockBuffer& blocks;
    SliceReconstructor& reconstructor;
    // Per macroblock address, set once a macroblock went to reconstruction;
    // null while concealment is off.
    std::uint8_t* reached;
};

// Returns 0 when the slice ended at a start code, kPictureFinished when the
// picture is complete or the next start code is not a slice, kBitstreamError
// after a bitstream error, or the reader's failure. Every macroblock parsed
// before the end has been reconstructed.
HResult decodeSlice(BitReader& reader, const SliceContext& ctx);

// Passes over the slices of a picture that cannot be decoded (no usable size,
// chroma format or structure), up to the next non-slice start code.
HResult skipPictureSlices(BitReader& reader);

// The flags word every macroblock of one run of skipped macroblocks gets, from
// the flags of the macroblock before the run; resets the predictors the way a
// skipped macroblock does.
std::uint32_t skippedMacroblockFlags(const PictureParams& params, ParserState& state, std::uint32_t previous);

}  // namespace tl
