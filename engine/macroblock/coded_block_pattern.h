// coded_block_pattern (Table B-9, plus coded_block_pattern_1 and _2 for 4:2:2
// and 4:4:4), returned as the 12-bit pattern that sits in bits 20-31 of the
// flags word: block 0 in bit 11, block 11 in bit 0.
#pragma once
#include <cstdint>

#include "engine/macroblock/local_bits.h"

namespace tl {

// The all-zero 9-bit prefix counts one error and returns kBitstreamError.
HResult parseCodedBlockPattern(LocalBits& bits, std::int32_t chroma_format, std::uint32_t& pattern,
                               std::uint32_t& errors);

}  // namespace tl
