// Block coefficients: intra DC differences (Tables B-12, B-13) and the AC
// run/level codes (Tables B-14, B-15), inverse-quantised on the fly against a
// scaled weighting matrix, with mismatch control. Two output forms share one
// decoder: a dense 8x8 block in natural order for the host inverse DCT, and a
// list of (run, value) pairs for accelerators that do the inverse DCT.
//
// Every AC decoder returns 0, kBitstreamError (after counting one error; the
// output keeps what was stored so far) or the reader's failure. The decoders
// of whole macroblocks, which the slice loop inlines, are in
// coefficient_loop.h.
#pragma once
#include <cstdint>

#include "engine/macroblock/local_bits.h"

namespace tl {

// dct_dc_differential of a luma (blocks 0-3) or chroma block.
HResult decodeDcDifferentialLuma(LocalBits& bits, std::int32_t& differential);
HResult decodeDcDifferentialChroma(LocalBits& bits, std::int32_t& differential);

// Block form. `block` is zeroed by the caller; intra blocks carry their DC in
// coefficient 0 already. `weights` is the scaled matrix, `scan` the natural
// index of each scan position.
HResult decodeIntraBlockB14(LocalBits& bits, std::int16_t* block, const std::uint16_t* weights,
                            const std::uint8_t* scan, std::uint32_t& errors);
HResult decodeIntraBlockB15(LocalBits& bits, std::int16_t* block, const std::uint16_t* weights,
                            const std::uint8_t* scan, std::uint32_t& errors);
HResult decodeNonIntraBlock(LocalBits& bits, std::int16_t* block, const std::uint16_t* weights,
                            const std::uint8_t* scan, std::uint32_t& errors);

// Run-level form: `run` zero coefficients in scan order precede `value`.
struct RunLevelPair {
    std::int16_t run;
    std::int16_t value;
};
inline constexpr int kMaxRunLevelPairs = 64;

// `pairs` has room for kMaxRunLevelPairs. Intra: pairs[0] holds the DC as
// (0, dc) and count is 1 on entry. Non-intra: count is 0 on entry. On return
// count is the number of pairs.
HResult decodeIntraRunLevelB14(LocalBits& bits, RunLevelPair* pairs, int& count, const std::uint16_t* weights,
                               const std::uint8_t* scan, std::uint32_t& errors);
HResult decodeIntraRunLevelB15(LocalBits& bits, RunLevelPair* pairs, int& count, const std::uint16_t* weights,
                               const std::uint8_t* scan, std::uint32_t& errors);
HResult decodeNonIntraRunLevel(LocalBits& bits, RunLevelPair* pairs, int& count, const std::uint16_t* weights,
                               const std::uint8_t* scan, std::uint32_t& errors);

}  // namespace tl
