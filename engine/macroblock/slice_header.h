// The slice header and the macroblock address increment.
#pragma once
#include <cstdint>

#include "engine/framework/bit_reader.h"
#include "engine/macroblock/local_bits.h"
#include "engine/macroblock/parser_state.h"
#include "engine/macroblock/picture_params.h"

namespace tl {

// macroblock_address_increment (Table B-1), including any macroblock_escape
// prefixes (33 each). An invalid code, macroblock_stuffing included, returns
// kBitstreamError without counting an error.
HResult parseAddressIncrement(LocalBits& bits, std::int32_t& increment);

// Finds the next start code. A slice start code is consumed together with the
// slice header and the first address increment; `firstAddress` receives the
// address of the slice's first macroblock, and the predictors are reset. Any
// other start code is left unconsumed and ends the picture (kPictureFinished),
// as does a first address beyond the picture.
HResult parseSliceHeader(BitReader& reader, const PictureParams& params, ParserState& state,
                         std::int32_t& firstAddress);

}  // namespace tl
