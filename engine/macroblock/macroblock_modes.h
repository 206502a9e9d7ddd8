// macroblock_modes(): macroblock_type (Tables B-2, B-3, B-4), the motion type,
// dct_type and quantiser_scale_code.
#pragma once
#include <cstdint>

#include "engine/macroblock/local_bits.h"
#include "engine/macroblock/parser_state.h"
#include "engine/macroblock/picture_params.h"

namespace tl {

struct MacroblockModes {
    std::uint32_t flags = 0;    // flags word without the coded block pattern
    int vectorCount = 1;        // motion vectors per direction
    bool frameFormat = false;   // vectors are frame vectors
    bool halveVertical = false; // field vectors held in frame units
};

// Invalid macroblock_type: one error, kBitstreamError. A picture type other
// than I, P or B: one error, kPictureFinished.
HResult parseMacroblockModes(LocalBits& bits, const PictureParams& params, ParserState& state,
                             MacroblockModes& modes);

// Motion-type bookkeeping shared with the skipped-macroblock rule: the vector
// count and formats that follow from the motion type in `flags`.
void deriveVectorFormat(const PictureParams& params, MacroblockModes& modes);

}  // namespace tl
