// The dense-block form of a macroblock's coefficients: decoded and
// inverse-quantised against the cached scaled matrices into zeroed blocks,
// ready for the host inverse DCT. Used by the software slice layer and by accelerators that take
// spatial residuals from the host.
#pragma once
#include <cstdint>

#include "engine/macroblock/local_bits.h"
#include "engine/macroblock/parser_state.h"
#include "engine/macroblock/picture_params.h"
#include "engine/macroblock/scaled_matrix_cache.h"

namespace tl {

// Both decoders write only the coefficients they decode: the blocks they are
// handed must be all zero (the transform stores leave them so).

// All block_count blocks of an intra macroblock into `blocks` (consecutive,
// 16-byte aligned); updates the DC predictors.
HResult decodeIntraMacroblockBlocks(LocalBits& bits, const PictureParams& p, ParserState& state,
                                    ScaledMatrixCache& matrices, std::int16_t* blocks);

// The blocks `pattern` marks (bits 20-31), one after the other from `blocks`.
HResult decodeNonIntraMacroblockBlocks(LocalBits& bits, const PictureParams& p, ParserState& state,
                                       ScaledMatrixCache& matrices, std::uint32_t pattern, std::int16_t* blocks);

}  // namespace tl
