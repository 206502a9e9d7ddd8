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

// Whether only zero stuffing lies between the window and a start code (also
// at the end of the stream); skips the stuffing.
bool atStartCode(BitReader& reader);

// Takes the window back to `beforeSlice` and past the start code of the slice
// that follows it, when that sample is still being read.
void resumeAfterSliceStart(BitReader& reader, const BitReader::Mark& beforeSlice);

// Runs `decode`, one slice of either decoding path. A damaged slice may have
// read on through the start code after it (a fixed-length field can swallow a
// 00 00 01): after a bitstream error, or when the picture ends somewhere other
// than before a start code, the start-code search starts again just past the
// slice's own start code, so no header or slice behind the damage is lost.
template <class Decode>
HResult decodeSliceGuarded(BitReader& reader, Decode&& decode) {
    const BitReader::Mark start = reader.mark();
    const HResult r = decode();
    if (r == kBitstreamError || (r == kPictureFinished && !atStartCode(reader))) resumeAfterSliceStart(reader, start);
    return r;
}

// The flags word every macroblock of one run of skipped macroblocks gets, from
// the flags of the macroblock before the run; resets the predictors the way a
// skipped macroblock does.
std::uint32_t skippedMacroblockFlags(const PictureParams& params, ParserState& state, std::uint32_t previous);

}  // namespace tl
