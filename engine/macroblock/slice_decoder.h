// One slice, parsed macroblock by macroblock into the row arrays: the
// macroblock loop with skipped macroblocks, and each macroblock's modes,
// vectors, pattern and blocks. Each coded macroblock, with the skipped ones
// before it, goes to reconstruction at once, while its blocks are still in the
// first-level cache.
#pragma once
#include <cstdint>

#include "engine/framework/bit_reader.h"
#include "engine/macroblock/parser_state.h"
#include "engine/macroblock/picture_params.h"
#include "engine/macroblock/row_arrays.h"
#include "engine/macroblock/scaled_matrix_cache.h"

namespace tl {

// Takes what the row arrays hold: `rows.recorded()` macroblocks from
// `firstAddress` on. The arrays are emptied after every call.
class RecordedMacroblocks {
public:
    virtual void take(const RowArrays& rows, std::int32_t firstAddress) = 0;

protected:
    ~RecordedMacroblocks() = default;
};

struct SliceContext {
    const PictureParams& params;
    ParserState& state;
    ScaledMatrixCache& matrices;
    RowArrays& rows;
    RecordedMacroblocks& sink;
};

// Returns 0 when the slice ended at a start code, kPictureFinished when the
// picture is complete or the next start code is not a slice, kBitstreamError
// after a bitstream error, or the reader's failure. Every macroblock parsed
// before the end has gone to the sink.
HResult decodeSlice(BitReader& reader, const SliceContext& ctx);

// Passes over the slices of a picture that cannot be decoded (no usable size,
// chroma format or structure), up to the next non-slice start code.
HResult skipPictureSlices(BitReader& reader);

// The flags word every macroblock of one run of skipped macroblocks gets, from
// the flags of the macroblock before the run; resets the predictors the way a
// skipped macroblock does.
std::uint32_t skippedMacroblockFlags(const PictureParams& params, ParserState& state, std::uint32_t previous);

}  // namespace tl
