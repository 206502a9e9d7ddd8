// Constants of the fixed-point inverse DCT. The row tables fold the column
// pass's scaling into the row pass, so every row pair has its own cosine set
// and the column pass needs only four constants. Every tier reads these.
#pragma once
#include <array>
#include <cstdint>

namespace tl::idct {

// Cosines scaled for one row pair; C4 is cos(4 pi / 16) and so on.
struct RowConstants {
    std::int16_t c4, c2, c6, c1, c3, c5, c7;
};

// Row pairs (0, 4), (1, 7), (2, 6), (3, 5).
inline constexpr RowConstants rowConstants[4] = {
    {16384, 21407, 8867, 22725, 19266, 12873, 4520},
    {22725, 29692, 12299, 31521, 26722, 17855, 6270},
    {21407, 27969, 11585, 29692, 25172, 16819, 5906},
    {19266, 25172, 10426, 26722, 22654, 15137, 5315},
};
inline constexpr int rowPairOf[8] = {0, 1, 2, 3, 0, 3, 2, 1};

// Added to the even sums before the row shift.
inline constexpr std::int32_t rowRounder[8] = {65536, 3597, 2260, 1203, 0, 120, 512, 512};

inline constexpr int rowShift = 11;
inline constexpr int columnShift = 6;

// A row whose eight inputs are all zero leaves the row pass as its rounder
// shifted down, in every column: 32 for row 0, 1 for rows 1 and 2, 0 for the rest.
constexpr std::int16_t zeroRowOutput(int row) { return static_cast<std::int16_t>(rowRounder[row] >> rowShift); }

// The sparse-block shortcuts rely on the lower four rows of a block with no
// coefficients there leaving the row pass as zeros, so the column pass can drop
// every term that involves them.
static_assert(zeroRowOutput(4) == 0 && zeroRowOutput(5) == 0 && zeroRowOutput(6) == 0 && zeroRowOutput(7) == 0);

// A row whose only non-zero input is x0 leaves the row pass as one value in all
// eight columns: every even sum is C4 * x0 plus the rounder, every odd sum is 0.
// A block whose only coefficient is the DC value therefore has identical columns.
constexpr std::int16_t dcOnlyRowOutput(int row, std::int16_t x0) {
    const std::int32_t v = (rowConstants[rowPairOf[row]].c4 * std::int32_t{x0} + rowRounder[row]) >> rowShift;
    return static_cast<std::int16_t>(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
}

inline constexpr std::int16_t tg1 = 13036;   // tan(pi / 16)
inline constexpr std::int16_t tg2 = 27146;   // tan(2 pi / 16)
inline constexpr std::int16_t tg3 = -21746;  // tan(3 pi / 16) - 1
inline constexpr std::int16_t cos4 = 23170;  // cos(4 pi / 16)

// The row constants arranged for multiply-add of 16-bit pairs. With a row x0..x7
// regrouped into the pair vectors P = (x0, x4), Q = (x2, x6), U = (x1, x5),
// V = (x3, x7), each repeated, the 32 words of one row pair are four 8-word
// groups: P and Q weights giving the even sums (a0, a1, a2, a3), and U and V
// weights giving the odd sums (b0, b1, b2, b3). A 64-bit register takes each
// group as two halves: (a0, a1) then (a2, a3), and (b0, b1) then (b2, b3).
struct alignas(16) RowMaddTable {
    std::int16_t w[4][32];
};

constexpr RowMaddTable makeRowMaddTable() {
    RowMaddTable t{};
    for (int p = 0; p < 4; ++p) {
        const RowConstants& k = rowConstants[p];
        const std::int16_t groups[32] = {
            k.c4, k.c4, k.c4, static_cast<std::int16_t>(-k.c4),                                // P: a0 a1
            k.c4, static_cast<std::int16_t>(-k.c4), k.c4, k.c4,                                // P: a2 a3
            k.c2, k.c6, k.c6, static_cast<std::int16_t>(-k.c2),                                // Q: a0 a1
            static_cast<std::int16_t>(-k.c6), k.c2, static_cast<std::int16_t>(-k.c2),
            static_cast<std::int16_t>(-k.c6),                                                  // Q: a2 a3
            k.c1, k.c5, k.c3, static_cast<std::int16_t>(-k.c1),                                // U: b0 b1
            k.c5, k.c7, k.c7, k.c3,                                                            // U: b2 b3
            k.c3, k.c7, static_cast<std::int16_t>(-k.c7), static_cast<std::int16_t>(-k.c5),    // V: b0 b1
            static_cast<std::int16_t>(-k.c1), k.c3, static_cast<std::int16_t>(-k.c5),
            static_cast<std::int16_t>(-k.c1),                                                  // V: b2 b3
        };
        for (int i = 0; i < 32; ++i) t.w[p][i] = groups[i];
    }
    return t;
}

inline constexpr RowMaddTable rowMaddTable = makeRowMaddTable();

// The same weights paired by halves of the row, for 128-bit registers: the
// left pair vectors E = (x0, x2) and O = (x1, x3), and the right ones
// E = (x4, x6) and O = (x5, x7), each repeated. Per row pair and half, E
// weights give that half's share of (a0, a1, a2, a3), O weights its share of
// (b0, b1, b2, b3). A row whose x4..x7 are zero needs the left half alone.
struct alignas(16) RowMaddHalfTable {
    std::int16_t w[4][2][16];
};

constexpr RowMaddHalfTable makeRowMaddHalfTable() {
    RowMaddHalfTable t{};
    for (int p = 0; p < 4; ++p) {
        const RowConstants& k = rowConstants[p];
        const auto n = [](std::int16_t c) { return static_cast<std::int16_t>(-c); };
        const std::int16_t halves[2][16] = {
            {k.c4, k.c2, k.c4, k.c6, k.c4, n(k.c6), k.c4, n(k.c2),       // E = (x0, x2)
             k.c1, k.c3, k.c3, n(k.c7), k.c5, n(k.c1), k.c7, n(k.c5)},   // O = (x1, x3)
            {k.c4, k.c6, n(k.c4), n(k.c2), n(k.c4), k.c2, k.c4, n(k.c6),  // E = (x4, x6)
             k.c5, k.c7, n(k.c1), n(k.c5), k.c7, k.c3, k.c3, n(k.c1)},   // O = (x5, x7)
        };
        for (int h = 0; h < 2; ++h)
            for (int i = 0; i < 16; ++i) t.w[p][h][i] = halves[h][i];
    }
    return t;
}

inline constexpr RowMaddHalfTable rowMaddHalfTable = makeRowMaddHalfTable();

}  // namespace tl::idct
