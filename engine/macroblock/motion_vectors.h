// motion_vectors(s): field selects, motion codes (Table B-10), residuals and
// predictors, and the dual-prime derived vectors.
#pragma once
#include <cstdint>

#include "engine/macroblock/local_bits.h"
#include "engine/macroblock/macroblock_modes.h"
#include "engine/macroblock/parser_state.h"
#include "engine/macroblock/picture_params.h"

namespace tl {

// The vectors of direction s (0 forward, 1 backward): updates PMV[.][s], the
// field-select bits of modes.flags and, for dual prime, dmvector. A motion code
// outside Table B-10 counts one error and returns kBitstreamError.
HResult parseMotionVectors(LocalBits& bits, const PictureParams& params, ParserState& state,
                           MacroblockModes& modes, int s);

// Dual prime: from the decoded forward vector and dmvector, the derived
// opposite-parity vectors go into the backward predictors and the field-select
// bits are set to the parities they stand for.
void applyDualPrime(const PictureParams& params, ParserState& state, std::uint32_t& flags);

// The reconstruction of one vector component from its predictor:
// f_code - 1 = r_size, motion_code, motion_residual.
std::int32_t reconstructVectorComponent(std::int32_t prediction, std::int32_t motion_code,
                                        std::uint32_t motion_residual, int r_size);

}  // namespace tl
