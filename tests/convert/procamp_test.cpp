// The RGB matrix built from the colour coefficients and the ProcAmp values,
// and the ProcAmp control that rebuilds it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "convert/dispatch.h"
#include "convert/procamp.h"
#include "convert/rgb_matrix.h"

namespace tl {
namespace {

std::vector<int> weights(const RgbMatrixBlock& m) { return {m.w, m.w + 8}; }

TEST(RgbMatrix, RowForEachMatrixCoefficientsValue) {
    // matrix_coefficients; weights 0, 2, 4 and 6 (1, 5 and 7 are luma's 9539, 3 is 0)
    const std::array<int, 5> rows[] = {
        {0, 17307, -1744, 14688, -4363}, {1, 17307, -1744, 14688, -4363}, {2, 16525, -3209, 13075, -6660},
        {3, 16525, -3209, 13075, -6660}, {4, 16600, -3095, 13056, -6639}, {5, 16525, -3209, 13075, -6660},
        {6, 16525, -3209, 13075, -6660}, {7, 17029, -2113, 14697, -4445},
        {8, 17307, -1744, 14688, -4363}, {255, 17307, -1744, 14688, -4363}, {-1, 17307, -1744, 14688, -4363},
    };
    for (const auto& [matrixCoefficients, w0, w2, w4, w6] : rows)
        EXPECT_EQ(weights(buildRgbMatrix(matrixCoefficients, 0, 0, 0)),
                  (std::vector<int>{w0, 9539, w2, 0, w4, 9539, w6, 9539})) << matrixCoefficients;
}

TEST(RgbMatrix, BrightnessBecomesTheLumaOffsets) {
    // Brightness, then what is subtracted from and added to luma.
    for (auto [brightness, subtract, add] :
         {std::array{0, 16, 0}, {16, 0, 0}, {-128, 144, 0}, {128, 0, 112}, {17, 0, 1}, {15, 1, 0}}) {
        const RgbMatrixBlock m = buildRgbMatrix(1, brightness, 0, 0);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(std::make_pair(int(m.lumaSubtract[i]), int(m.lumaAdd[i])),
                      i % 4 == 2 ? std::make_pair(subtract, add) : std::make_pair(0, 0))
                << brightness << " byte " << i;
    }
}

TEST(RgbMatrix, ContrastAndSaturationScaling) {
    // matrix_coefficients, contrast, saturation; the weights
    const std::tuple<int, int, int, std::vector<int>> cases[] = {
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
    for (const auto& [matrixCoefficients, contrast, saturation, w] : cases)
        EXPECT_EQ(weights(buildRgbMatrix(matrixCoefficients, 0, contrast, saturation)), w)
            << "contrast " << contrast << " saturation " << saturation;
}

TEST(ProcAmp, SetClampsStoresAndRebuildsTheBlock) {
    // The property, the value set, the value stored.
    for (auto [property, set, stored] :
         {std::tuple{VideoProcAmp_Contrast, 500, 128}, {VideoProcAmp_Contrast, 128, 128},
          {VideoProcAmp_Brightness, -127, -127}, {VideoProcAmp_Brightness, -128, -128},
          {VideoProcAmp_Brightness, -200, -128}, {VideoProcAmp_Saturation, 40, 40}}) {
        ProcAmpControl control;
        control.setOutputFormat(OUTPUT_RGB24);
        ASSERT_EQ(control.Set(property, set, 0x1234), hr::ok);
        std::int32_t value = 0, flags = 0;
        ASSERT_EQ(control.Get(property, &value, &flags), hr::ok);
        EXPECT_EQ(std::make_pair(value, flags), std::make_pair(stored, VideoProcAmp_Flags_Manual));
        RgbMatrixBlock block;
        control.copyMatrix(block);
        const RgbMatrixBlock expected = buildRgbMatrix(1, property == VideoProcAmp_Brightness ? stored : 0,
                                                       property == VideoProcAmp_Contrast ? stored : 0,
                                                       property == VideoProcAmp_Saturation ? stored : 0);
        EXPECT_EQ(0, std::memcmp(&block, &expected, 48)) << property << " " << set;
    }
}

// Non-RGB connections, and the stream's colour coefficients arriving after a
// Set, are the delivery tests' (the decoder object's ProcAmp on real connections).
TEST(ProcAmp, RangesNeutralStartUnknownPropertiesAndWholeCopiesWhileSetting) {
    ProcAmpControl control;
    control.setOutputFormat(OUTPUT_RGB32);
    for (std::int32_t property : {VideoProcAmp_Brightness, VideoProcAmp_Contrast, VideoProcAmp_Saturation}) {
        std::int32_t r[5] = {};
        ASSERT_EQ(control.GetRange(property, &r[0], &r[1], &r[2], &r[3], &r[4]), hr::ok);
        EXPECT_EQ(std::vector<std::int32_t>(r, r + 5),
                  (std::vector<std::int32_t>{-128, 128, 1, 0, VideoProcAmp_Flags_Manual}));
        EXPECT_EQ(control.GetRange(property, nullptr, nullptr, nullptr, nullptr, nullptr), hr::ok);
    }
    RgbMatrixBlock before, after;
    control.copyMatrix(before);
    const RgbMatrixBlock neutral = buildRgbMatrix(1, 0, 0, 0);
    EXPECT_EQ(0, std::memcmp(&before, &neutral, 48)) << "a new control starts from the neutral block";
    EXPECT_EQ(control.Set(VideoProcAmp_Hue, 10, 0), kProcAmpNotFound);
    EXPECT_EQ(control.Set(7, 10, 0), kProcAmpNotFound);
    std::int32_t v = 0;
    EXPECT_EQ(control.Get(VideoProcAmp_Hue, &v, nullptr), kProcAmpNotFound);
    EXPECT_EQ(control.GetRange(VideoProcAmp_Hue, &v, nullptr, nullptr, nullptr, nullptr), kProcAmpNotFound);
    control.copyMatrix(after);
    EXPECT_EQ(0, std::memcmp(&before, &after, 48));
    control.setOutputFormat(OUTPUT_RGB555);
    ASSERT_EQ(control.Get(VideoProcAmp_Brightness, &v, nullptr), hr::ok);
    EXPECT_EQ(v, 0);

    // A converter copying the block while another thread keeps setting contrast
    // only ever sees blocks that some contrast value builds.
    std::vector<RgbMatrixBlock> valid;
    for (int c = kProcAmpMin; c <= kProcAmpMax; ++c) valid.push_back(buildRgbMatrix(1, 0, c, 0));
    std::atomic<bool> done{false};
    std::thread setter([&] {
        for (int i = 0; i < 20000; ++i) control.Set(VideoProcAmp_Contrast, (i * 37) % 257 - 128, 0);
        done = true;
    });
    int torn = 0;
    for (int copies = 0; !done || copies < 100; ++copies) {
        RgbMatrixBlock block;
        control.copyMatrix(block);
        torn += std::none_of(valid.begin(), valid.end(), [&](const auto& m) { return !std::memcmp(&m, &block, 48); });
    }
    setter.join();
    EXPECT_EQ(torn, 0);
}

}  // namespace
}  // namespace tl
