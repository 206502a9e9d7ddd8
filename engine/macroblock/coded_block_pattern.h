// coded_block_pattern (its variable-length code, plus coded_block_pattern_1 and
// _2 for 4:2:2 and 4:4:4), returned as the 12-bit pattern that sits in bits
// 20-31 of the flags word: block 0 in bit 11, block 11 in bit 0. Inline, for
// the slice loop's bit window to stay in registers.
#pragma once
#include <array>
#include <cstdint>

#include "engine/framework/stream_state.h"
#include "engine/macroblock/local_bits.h"

namespace tl {

namespace pattern_tables {

struct PatternCode {
    std::uint8_t cbp;
    std::uint8_t bits;
    std::uint8_t length;
};

// The code of every pattern.
inline constexpr PatternCode kCodes[] = {
    {60, 0b111, 3},       {4, 0b1101, 4},       {8, 0b1100, 4},       {16, 0b1011, 4},
    {32, 0b1010, 4},      {12, 0b10011, 5},     {48, 0b10010, 5},     {20, 0b10001, 5},
    {40, 0b10000, 5},     {28, 0b01111, 5},     {44, 0b01110, 5},     {52, 0b01101, 5},
    {56, 0b01100, 5},     {1, 0b01011, 5},      {61, 0b01010, 5},     {2, 0b01001, 5},
    {62, 0b01000, 5},     {24, 0b001111, 6},    {36, 0b001110, 6},    {3, 0b001101, 6},
    {63, 0b001100, 6},    {5, 0b0010111, 7},    {9, 0b0010110, 7},    {17, 0b0010101, 7},
    {33, 0b0010100, 7},   {6, 0b0010011, 7},    {10, 0b0010010, 7},   {18, 0b0010001, 7},
    {34, 0b0010000, 7},   {7, 0b00011111, 8},   {11, 0b00011110, 8},  {19, 0b00011101, 8},
    {35, 0b00011100, 8},  {13, 0b00011011, 8},  {49, 0b00011010, 8},  {21, 0b00011001, 8},
    {41, 0b00011000, 8},  {14, 0b00010111, 8},  {50, 0b00010110, 8},  {22, 0b00010101, 8},
    {42, 0b00010100, 8},  {15, 0b00010011, 8},  {51, 0b00010010, 8},  {23, 0b00010001, 8},
    {43, 0b00010000, 8},  {25, 0b00001111, 8},  {37, 0b00001110, 8},  {26, 0b00001101, 8},
    {38, 0b00001100, 8},  {29, 0b00001011, 8},  {45, 0b00001010, 8},  {53, 0b00001001, 8},
    {57, 0b00001000, 8},  {30, 0b00000111, 8},  {46, 0b00000110, 8},  {54, 0b00000101, 8},
    {58, 0b00000100, 8},  {31, 0b000000111, 9}, {47, 0b000000110, 9}, {55, 0b000000101, 9},
    {59, 0b000000100, 9}, {27, 0b000000011, 9}, {39, 0b000000010, 9}, {0, 0b000000001, 9},
};

// The 64 codes fill every 9-bit prefix except the all-zero one, without overlap.
constexpr bool prefixFreeAndComplete() {
    int covered = 0;
    for (const PatternCode& a : kCodes) {
        covered += 1 << (9 - a.length);
        for (const PatternCode& b : kCodes)
            if (&a != &b && b.length >= a.length && (b.bits >> (b.length - a.length)) == a.bits) return false;
    }
    return covered == 511;
}
static_assert(prefixFreeAndComplete(), "coded_block_pattern code list");

struct Entry {
    std::uint8_t cbp;
    std::uint8_t length;  // 0: no code
};

// Every code by the 9 bits of the longest, spread over every index that starts
// with it: one lookup, where a decision on the code's length would follow the
// random patterns of neighbouring macroblocks.
constexpr std::array<Entry, 512> byNineBits() {
    std::array<Entry, 512> table{};
    for (const PatternCode& c : kCodes) {
        const int shift = 9 - c.length;
        const int first = c.bits << shift;
        for (int i = first; i < first + (1 << shift); ++i) table[i] = Entry{c.cbp, c.length};
    }
    return table;
}
inline constexpr std::array<Entry, 512> kByNineBits = byNineBits();

}  // namespace pattern_tables

// The all-zero 9-bit prefix counts one error and returns kBitstreamError.
inline HResult parseCodedBlockPattern(LocalBits& bits, std::int32_t chroma_format, std::uint32_t& pattern,
                                      std::uint32_t& errors) {
    using namespace pattern_tables;
    if (HResult r = bits.ensure(15); r != hr::ok) return r;
    const Entry e = kByNineBits[bits.peek(9)];
    if (!e.length) {
        ++errors;
        return kBitstreamError;
    }
    // The extension bits of 4:2:2 and 4:4:4 come from the same window, which
    // is skipped once.
    const std::uint32_t rest = bits.window() << e.length;
    std::uint32_t cbp = std::uint32_t(e.cbp) << 6;
    int length = e.length;
    if (chroma_format == CHROMA_422) {
        cbp |= (rest >> 30) << 4;
        length += 2;
    } else if (chroma_format == CHROMA_444) {
        cbp |= rest >> 26;
        length += 6;
    }
    bits.skip(length);
    pattern = cbp;
    return hr::ok;
}

}  // namespace tl
