// YCbCr-to-RGB coefficients with brightness, contrast and saturation folded in,
// in the layout the RGB kernels consume: luma is handled as the high word of
// (chroma, luma) word pairs, so the luma offsets sit in byte 2 of each dword.
#pragma once
#include <cstdint>

namespace tl {

struct alignas(32) RgbMatrixBlock {
    // Bytes 2, 6, 10, 14: subtracted from luma with unsigned saturation; the rest 0.
    std::uint8_t lumaSubtract[16];
    // Bytes 2, 6, 10, 14: then added to luma with unsigned saturation; the rest 0.
    std::uint8_t lumaAdd[16];
    // Units of 1/8192: w0 Cb->B, w1 Y->B, w2 Cb->G, w3 0, w4 Cr->R, w5 Y->R, w6 Cr->G, w7 Y->G.
    std::int16_t w[8];
};
static_assert(sizeof(RgbMatrixBlock::lumaSubtract) + sizeof(RgbMatrixBlock::lumaAdd) +
                      sizeof(RgbMatrixBlock::w) == 48,
              "the kernels read exactly three 16-byte parts");
static_assert(alignof(RgbMatrixBlock) == 32);

// Rows indexed by matrix_coefficients (ISO/IEC 13818-2 Table 6-9), scaled by
// 255/219 for luma and 255/224 for chroma.
extern const std::int16_t kMatrixCoefficientTable[8][8];

inline constexpr int kProcAmpMin = -128;
inline constexpr int kProcAmpMax = 128;

// matrix_coefficients outside 0..7 (reserved values) use the BT.709 row, the
// value a stream without a sequence display extension implies.
RgbMatrixBlock buildRgbMatrix(int matrixCoefficients, int brightness, int contrast, int saturation);

}  // namespace tl
