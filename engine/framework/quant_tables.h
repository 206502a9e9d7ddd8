// Tables of ISO/IEC 13818-2 used above and below the slice layer.
#pragma once
#include <cstdint>

namespace tl {

// scan[0]: position in the zig-zag scan -> raster position (alternate_scan = 0).
inline constexpr std::uint8_t zig_zag_scan[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

// Raster order.
inline constexpr std::uint16_t default_intra_quantiser_matrix[64] = {
    8,  16, 19, 22, 26, 27, 29, 34,
    16, 16, 22, 24, 27, 29, 34, 37,
    19, 22, 26, 27, 29, 34, 34, 38,
    22, 22, 26, 27, 29, 34, 37, 40,
    22, 26, 27, 29, 32, 35, 40, 48,
    26, 27, 29, 32, 35, 40, 48, 58,
    26, 27, 29, 34, 38, 46, 56, 69,
    27, 29, 35, 38, 46, 56, 69, 83,
};

inline constexpr std::uint16_t default_non_intra_quantiser_matrix_value = 16;

// frame_rate_value in frames per 1001 seconds, indexed by frame_rate_code.
// Code 14 stands for an unbounded rate (period 2); 0 and 15 are forbidden.
inline constexpr std::uint32_t frame_rate_table[16] = {
    0,     24000, 24024, 25025, 30000, 30030, 50050, 60000,
    60060, 1001,  5005,  10010, 12012, 15015, 0xFFFFFFFEu, 0,
};

}  // namespace tl
