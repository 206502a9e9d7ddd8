#include <gtest/gtest.h>

#include <vector>

#include "convert/rgb_matrix.h"

namespace tl {
namespace {

std::vector<int> weights(const RgbMatrixBlock& m) { return {m.w, m.w + 8}; }

TEST(RgbMatrix, RowForEachMatrixCoefficientsValue) {
    struct {
        int matrixCoefficients;
        std::int16_t w0, w2, w4, w6;
    } const kRows[] = {
        {0, 17307, -1744, 14688, -4363}, {1, 17307, -1744, 14688, -4363}, {2, 16525, -3209, 13075, -6660},
        {3, 16525, -3209, 13075, -6660}, {4, 16600, -3095, 13056, -6639}, {5, 16525, -3209, 13075, -6660},
        {6, 16525, -3209, 13075, -6660}, {7, 17029, -2113, 14697, -4445},
        {8, 17307, -1744, 14688, -4363}, {255, 17307, -1744, 14688, -4363}, {-1, 17307, -1744, 14688, -4363},
    };
    for (const auto& row : kRows) {
        const RgbMatrixBlock m = buildRgbMatrix(row.matrixCoefficients, 0, 0, 0);
        EXPECT_EQ(weights(m), (std::vector<int>{row.w0, 9539, row.w2, 0, row.w4, 9539, row.w6, 9539}))
            << row.matrixCoefficients;
    }
}

TEST(RgbMatrix, BrightnessBecomesTheLumaOffsets) {
    struct {
        int brightness, subtract, add;
    } const kCases[] = {{0, 16, 0}, {16, 0, 0}, {-128, 144, 0}, {128, 0, 112}, {17, 0, 1}, {15, 1, 0}};
    for (const auto& c : kCases) {
        const RgbMatrixBlock m = buildRgbMatrix(1, c.brightness, 0, 0);
        for (int i = 0; i < 16; ++i) {
            const bool lane = i % 4 == 2;
            EXPECT_EQ(m.lumaSubtract[i], lane ? c.subtract : 0) << c.brightness << " byte " << i;
            EXPECT_EQ(m.lumaAdd[i], lane ? c.add : 0) << c.brightness << " byte " << i;
        }
    }
}

TEST(RgbMatrix, ContrastAndSaturationScaling) {
    struct {
        int matrixCoefficients, contrast, saturation;
        std::int16_t w[8];
    } const kCases[] = {
        // Contrast 128 triples (clamped), and luma weights all follow w1.
        {1, 128, 0, {32767, 28617, -5232, 0, 32767, 28617, -13089, 28617}},
        // Contrast -128 divides by three, truncating toward zero.
        {1, -128, 0, {5769, 3179, -581, 0, 4896, 3179, -1454, 3179}},
        // Saturation scales chroma weights only.
        {2, 0, 128, {32767, 9539, -9627, 0, 32767, 9539, -19980, 9539}},
        {2, 0, -128, {5508, 9539, -1069, 0, 4358, 9539, -2220, 9539}},
        // Contrast 1, the smallest step, still scales: x 257 / 255.
        {1, 1, 0, {17442, 9613, -1757, 0, 14803, 9613, -4397, 9613}},
        // Both: contrast first, then saturation on the result (64: x 320 / 192).
        {1, 64, 64, {32767, 15898, -4843, 0, 32767, 15898, -12118, 15898}},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(weights(buildRgbMatrix(c.matrixCoefficients, 0, c.contrast, c.saturation)),
                  std::vector<int>(c.w, c.w + 8))
            << "contrast " << c.contrast << " saturation " << c.saturation;
}

}  // namespace
}  // namespace tl
