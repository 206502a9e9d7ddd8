// Variable-length code tables for DCT coefficients (ISO/IEC 13818-2 Tables
// B-14 and B-15) and the two coefficient scans (Figures 7-2 and 7-3).
//
// A code is classified by the position of its leading one in a 24-bit window:
// - codes with at most five leading zeros are looked up by their first 8 bits in
//   a 256-entry table of their table set (entries carry the code length);
// - codes with six leading zeros differ between the sets (B-15 gives some of
//   them 9 bits): an 8-entry table per set, by the 3 bits after the leading one;
// - codes with seven, eight, ten or eleven leading zeros are the same in both
//   sets and are looked up by the 4 bits after the leading one;
// - codes with nine leading zeros are run 0, level 31 - (next four bits);
// - twelve or more leading zeros is not a code.
#pragma once
#include <array>
#include <cstdint>

namespace tl {

enum DctCodeKind : std::uint8_t { DCT_RUN_LEVEL = 0, DCT_END_OF_BLOCK = 1, DCT_ESCAPE = 2, DCT_LONG = 3 };

// length excludes the sign bit that follows every run/level code.
struct DctShortCode {
    std::uint8_t run;
    std::uint8_t level;
    std::uint8_t length;
    std::uint8_t kind;
};

struct DctRunLevel {
    std::uint8_t run;
    std::uint8_t level;
};

// Indexed by the first 8 bits of the code. Table B-14 decodes "11" as run 0
// level 1; the first coefficient of a non-intra block ("1") is handled by the
// caller. Indices below 4 (six or more leading zeros) are DCT_LONG.
extern const std::array<DctShortCode, 256> kTableB14Short;
extern const std::array<DctShortCode, 256> kTableB15Short;
// Table B-14 for the first coefficient of a non-intra block, where "1s" is
// run 0, level 1 and there is no end of block.
extern const std::array<DctShortCode, 256> kTableB14First;

// Six leading zeros, by the 3 bits after the leading one.
extern const DctShortCode kTableB14LeadingZeros6[8];
extern const DctShortCode kTableB15LeadingZeros6[8];

// Shared long codes, by the 4 bits after the leading one.
extern const DctRunLevel kDctLeadingZeros7[16];
extern const DctRunLevel kDctLeadingZeros8[16];
extern const DctRunLevel kDctLeadingZeros10[16];
extern const DctRunLevel kDctLeadingZeros11[16];

// Natural (row-major) index of each scan position: zig-zag then alternate,
// one after the other so that alternate_scan selects by offset 64.
extern const std::uint8_t kScanTables[128];
inline const std::uint8_t* const kZigZagScan = kScanTables;
inline const std::uint8_t* const kAlternateScan = kScanTables + 64;

}  // namespace tl
