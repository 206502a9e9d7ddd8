// Small elementary streams with the syntax the stream corpus lacks, because
// its encoders cannot make it: field pictures (I, P and B fields with field,
// 16x8 and dual-prime prediction, in both field orders), 4:2:2 and 4:4:4 with
// separate chroma matrices, and 9- to 11-bit intra DC precision. Every
// macroblock is coded, so the streams decode without a bitstream error.
#pragma once
#include <cstdint>
#include <vector>

namespace tl::test {

// 64x64 4:2:0, interlaced: I, P, B, P, B as field pairs.
std::vector<std::uint8_t> fieldStream(bool topFirst);
// The same 64x96, with dual prime only on the middle macroblock row, so every
// prediction stays inside its reference and any two decoders must agree.
std::vector<std::uint8_t> fieldStreamInside(bool topFirst);
// 64x64 progressive I, P, B frames in chroma_format 2 or 3.
std::vector<std::uint8_t> chromaStream(int chromaFormat);

}  // namespace tl::test
