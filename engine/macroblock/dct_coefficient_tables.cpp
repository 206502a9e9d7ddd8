#include "engine/macroblock/dct_coefficient_tables.h"

#include <array>

namespace tl {
namespace {

struct CodeWord {
    std::uint8_t bits;  // the code, right-aligned, without its sign bit
    std::uint8_t length;
    std::uint8_t run;
    std::uint8_t level;
    std::uint8_t kind;
};

constexpr CodeWord rl(std::uint8_t bits, std::uint8_t length, std::uint8_t run, std::uint8_t level) {
    return {bits, length, run, level, DCT_RUN_LEVEL};
}
constexpr CodeWord eob(std::uint8_t bits, std::uint8_t length) { return {bits, length, 0, 0, DCT_END_OF_BLOCK}; }
constexpr CodeWord escape() { return {0b000001, 6, 0, 0, DCT_ESCAPE}; }

// Table B-14, codes with at most five leading zeros.
constexpr CodeWord kB14[] = {
    eob(0b10, 2),           rl(0b11, 2, 0, 1),       rl(0b011, 3, 1, 1),      rl(0b0100, 4, 0, 2),
    rl(0b0101, 4, 2, 1),    rl(0b00101, 5, 0, 3),    rl(0b00111, 5, 3, 1),    rl(0b00110, 5, 4, 1),
    rl(0b000110, 6, 1, 2),  rl(0b000111, 6, 5, 1),   rl(0b000101, 6, 6, 1),   rl(0b000100, 6, 7, 1),
    rl(0b0000110, 7, 0, 4), rl(0b0000100, 7, 2, 2),  rl(0b0000111, 7, 8, 1),  rl(0b0000101, 7, 9, 1),
    escape(),               rl(0b00100110, 8, 0, 5), rl(0b00100001, 8, 0, 6), rl(0b00100101, 8, 1, 3),
    rl(0b00100100, 8, 3, 2), rl(0b00100111, 8, 10, 1), rl(0b00100011, 8, 11, 1), rl(0b00100010, 8, 12, 1),
    rl(0b00100000, 8, 13, 1),
};

// Table B-15, codes with at most five leading zeros.
constexpr CodeWord kB15[] = {
    eob(0b0110, 4),          rl(0b10, 2, 0, 1),        rl(0b010, 3, 1, 1),       rl(0b110, 3, 0, 2),
    rl(0b00101, 5, 2, 1),    rl(0b0111, 4, 0, 3),      rl(0b00111, 5, 3, 1),     rl(0b000110, 6, 4, 1),
    rl(0b00110, 5, 1, 2),    rl(0b000111, 6, 5, 1),    rl(0b0000110, 7, 6, 1),   rl(0b0000100, 7, 7, 1),
    rl(0b11100, 5, 0, 4),    rl(0b0000111, 7, 2, 2),   rl(0b0000101, 7, 8, 1),   rl(0b1111000, 7, 9, 1),
    escape(),                rl(0b11101, 5, 0, 5),     rl(0b000101, 6, 0, 6),    rl(0b1111001, 7, 1, 3),
    rl(0b00100110, 8, 3, 2), rl(0b1111010, 7, 10, 1),  rl(0b00100001, 8, 11, 1), rl(0b00100101, 8, 12, 1),
    rl(0b00100100, 8, 13, 1), rl(0b000100, 6, 0, 7),   rl(0b1111011, 7, 0, 8),   rl(0b1111100, 7, 0, 9),
    rl(0b00100011, 8, 0, 10), rl(0b00100010, 8, 0, 11), rl(0b11111010, 8, 0, 12), rl(0b11111011, 8, 0, 13),
    rl(0b11111110, 8, 0, 14), rl(0b11111111, 8, 0, 15), rl(0b00100111, 8, 1, 4),  rl(0b00100000, 8, 1, 5),
    rl(0b11111100, 8, 2, 3),  rl(0b11111101, 8, 4, 2),
};

// Expands a code list into the 8-bit lookup: every index whose leading bits
// equal a code gets that code's entry.
template <std::size_t N>
constexpr std::array<DctShortCode, 256> expand(const CodeWord (&codes)[N]) {
    std::array<DctShortCode, 256> table{};
    for (auto& e : table) e = DctShortCode{0, 0, 0, DCT_LONG};
    for (const CodeWord& c : codes) {
        const int shift = 8 - c.length;
        const int first = c.bits << shift;
        for (int i = first; i < first + (1 << shift); ++i)
            table[i] = DctShortCode{c.run, c.level, c.length, c.kind};
    }
    return table;
}

// No code may be a prefix of another, and together the codes must cover every
// 8-bit prefix with at most five leading zeros (the escape included).
template <std::size_t N>
constexpr bool prefixFreeAndComplete(const CodeWord (&codes)[N]) {
    int covered = 0;
    for (std::size_t i = 0; i < N; ++i) {
        covered += 1 << (8 - codes[i].length);
        for (std::size_t j = 0; j < N; ++j) {
            if (i == j || codes[j].length < codes[i].length) continue;
            if ((codes[j].bits >> (codes[j].length - codes[i].length)) == codes[i].bits) return false;
        }
    }
    return covered == 256 - 4;
}
static_assert(prefixFreeAndComplete(kB14), "Table B-14 code list");
static_assert(prefixFreeAndComplete(kB15), "Table B-15 code list");

// The coefficient loop tells run/level entries from the others by their level.
template <std::size_t N>
constexpr bool onlyRunLevelCodesHaveALevel(const CodeWord (&codes)[N]) {
    for (const CodeWord& c : codes)
        if ((c.kind == DCT_RUN_LEVEL) != (c.level != 0)) return false;
    return true;
}
static_assert(onlyRunLevelCodesHaveALevel(kB14) && onlyRunLevelCodesHaveALevel(kB15), "levels mark run/level codes");

}  // namespace

// Both are built at compile time from the code lists above.
const std::array<DctShortCode, 256> kTableB14Short = expand(kB14);
const std::array<DctShortCode, 256> kTableB14First = [] {
    std::array<DctShortCode, 256> table = expand(kB14);
    for (int i = 0x80; i < 0x100; ++i) table[i] = DctShortCode{0, 1, 1, DCT_RUN_LEVEL};
    return table;
}();
const std::array<DctShortCode, 256> kTableB15Short = expand(kB15);

// 0000 001x xx, all 10 bits.
const DctShortCode kTableB14LeadingZeros6[8] = {
    {16, 1, 10, DCT_RUN_LEVEL}, {5, 2, 10, DCT_RUN_LEVEL},  {0, 7, 10, DCT_RUN_LEVEL},  {2, 3, 10, DCT_RUN_LEVEL},
    {1, 4, 10, DCT_RUN_LEVEL},  {15, 1, 10, DCT_RUN_LEVEL}, {14, 1, 10, DCT_RUN_LEVEL}, {4, 2, 10, DCT_RUN_LEVEL},
};
// 0000 0010 0, 0000 0010 1, 0000 0011 00, 0000 0011 01, 0000 0011 1.
const DctShortCode kTableB15LeadingZeros6[8] = {
    {5, 2, 9, DCT_RUN_LEVEL},  {5, 2, 9, DCT_RUN_LEVEL},   {14, 1, 9, DCT_RUN_LEVEL}, {14, 1, 9, DCT_RUN_LEVEL},
    {2, 4, 10, DCT_RUN_LEVEL}, {16, 1, 10, DCT_RUN_LEVEL}, {15, 1, 9, DCT_RUN_LEVEL}, {15, 1, 9, DCT_RUN_LEVEL},
};
// 0000 0001 xxxx
const DctRunLevel kDctLeadingZeros7[16] = {
    {0, 11}, {8, 2},  {4, 3},  {0, 10}, {2, 4}, {7, 2}, {21, 1}, {20, 1},
    {0, 9},  {19, 1}, {18, 1}, {1, 5},  {3, 3}, {0, 8}, {6, 2},  {17, 1},
};
// 0000 0000 1xxx x
const DctRunLevel kDctLeadingZeros8[16] = {
    {10, 2}, {9, 2},  {5, 3},  {3, 4},  {2, 5},  {1, 7},  {1, 6},  {0, 15},
    {0, 14}, {0, 13}, {0, 12}, {26, 1}, {25, 1}, {24, 1}, {23, 1}, {22, 1},
};
// 0000 0000 001x xxx
const DctRunLevel kDctLeadingZeros10[16] = {
    {0, 40}, {0, 39}, {0, 38}, {0, 37}, {0, 36}, {0, 35}, {0, 34}, {0, 33},
    {0, 32}, {1, 14}, {1, 13}, {1, 12}, {1, 11}, {1, 10}, {1, 9},  {1, 8},
};
// 0000 0000 0001 xxxx
const DctRunLevel kDctLeadingZeros11[16] = {
    {1, 18}, {1, 17}, {1, 16}, {1, 15}, {6, 3},  {16, 2}, {15, 2}, {14, 2},
    {13, 2}, {12, 2}, {11, 2}, {31, 1}, {30, 1}, {29, 1}, {28, 1}, {27, 1},
};

const std::uint8_t kScanTables[128] = {
    // zig-zag
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
    // alternate
    0,  8,  16, 24, 1,  9,  2,  10, 17, 25, 32, 40, 48, 56, 57, 49,
    41, 33, 26, 18, 3,  11, 4,  12, 19, 27, 34, 42, 50, 58, 35, 43,
    51, 59, 20, 28, 5,  13, 6,  14, 21, 29, 36, 44, 52, 60, 37, 45,
    53, 61, 22, 30, 7,  15, 23, 31, 38, 46, 54, 62, 39, 47, 55, 63,
};

}  // namespace tl
