// What the decoder object hands its conversion: the ProcAmp matrix, the
// stream's colour coefficients and the output format, checked by converting
// the same picture directly and comparing bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <tuple>
#include <vector>

#include "convert/dispatch.h"
#include "convert/procamp.h"
#include "convert/rgb_matrix.h"
#include "engine/base/cpu_features.h"
#include "tests/framework/decoder_rig.h"

namespace tl {
namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 32;

std::uint8_t lumaAt(int x, int y) { return std::uint8_t(x * 3 + y * 5 + 16); }
std::uint8_t cbAt(int x, int y) { return std::uint8_t(x * 7 + y * 2 + 64); }
std::uint8_t crAt(int x, int y) { return std::uint8_t(255 - x * 5 + y * 3); }

void fillPlanes(std::uint8_t* y, int lumaStride, std::uint8_t* cb, std::uint8_t* cr, int chromaStride) {
    for (int row = 0; row < kHeight; ++row)
        for (int x = 0; x < kWidth; ++x) y[row * lumaStride + x] = lumaAt(x, row);
    for (int row = 0; row < kHeight / 2; ++row) {
        for (int x = 0; x < kWidth / 2; ++x) {
            cb[row * chromaStride + x] = cbAt(x, row);
            cr[row * chromaStride + x] = crAt(x, row);
        }
    }
}

// One progressive I picture, with a colour description when mc > 0.
std::vector<std::uint8_t> patternStream(int matrixCoefficients) {
    const test::DisplayExtensionFields display{5, true, 1, 1, matrixCoefficients};
    const test::StreamShape shape{{kWidth, kHeight}, {}, {}, false, matrixCoefficients > 0 ? &display : nullptr};
    return test::buildStream("I", shape);
}

// The pattern converted straight through the dispatcher.
std::vector<std::uint8_t> convertDirectly(int format, const RgbMatrixBlock& matrix) {
    constexpr std::size_t kAlign = 256;
    // The gaps hold black chroma as a fresh picture buffer's padding does: the
    // rightmost pixel of the last row averages in the sample past the plane.
    std::vector<std::uint8_t> storage(kWidth * kHeight * 2 + 3 * kAlign, 128);
    std::uint8_t* base = storage.data() + (kAlign - reinterpret_cast<std::uintptr_t>(storage.data()) % kAlign);
    Picture p;
    p.width = kWidth;
    p.height = kHeight;
    p.lumaStride = kWidth;
    p.chromaStride = kWidth / 2;
    p.chromaFormat = 1;
    p.progressiveSequence = 1;
    p.planes[0] = base;
    p.planes[1] = base + kWidth * kHeight + kAlign;
    p.planes[2] = p.planes[1] + kWidth * kHeight / 4 + kAlign;
    // Past the pattern, what a fresh picture buffer holds: black (the chroma is already).
    std::fill(base, p.planes[1], std::uint8_t(16));
    fillPlanes(p.planes[0], p.lumaStride, p.planes[1], p.planes[2], p.chromaStride);
    ConversionContext context;
    context.outputFormat = format;
    context.rgbMatrix = &matrix;
    context.cpuFeatures = cpuFeatureWord();
    context.rgbBottomUp = true;  // the host's connection has a positive height
    const int pitch = tightRowPitch(format, kWidth);
    std::vector<std::uint8_t> out(std::size_t(pitch) * kHeight);
    ConvertProgressive(p, context, out.data(), pitch);
    return out;
}

struct ProcAmpValues {
    int brightness = 0, contrast = 0, saturation = 0;
};

// The one delivered sample of the pattern painted in place of decoding, and the
// matrix coefficients the decoder reported.
std::pair<std::vector<std::uint8_t>, int> deliverPattern(OutputSubtype subtype, int format, int matrixCoefficients,
                                                         ProcAmpValues v) {
    test::DecoderRig rig;
    rig.host.format = {subtype, true, kWidth, kHeight};
    rig.host.rowPitch = tightRowPitch(format, kWidth);
    rig.host.keepBytes = true;
    rig.path->beforePicture = [](int, Picture& p) {
        fillPlanes(p.planes[0], p.lumaStride, p.planes[1], p.planes[2], p.chromaStride);
    };
    rig.init();
    for (const auto& [property, value] : {std::pair{VideoProcAmp_Brightness, v.brightness},
                                          std::pair{VideoProcAmp_Contrast, v.contrast},
                                          std::pair{VideoProcAmp_Saturation, v.saturation}})
        EXPECT_EQ(rig.decoder.procAmp().Set(property, value, VideoProcAmp_Flags_Manual), hr::ok);
    rig.play({patternStream(matrixCoefficients)});
    EXPECT_GT(rig.decoder.streamInfo().rendererPerformance, 0);
    const auto deliveries = rig.host.deliveries();
    EXPECT_EQ(deliveries.size(), 1u);
    return {deliveries.empty() ? std::vector<std::uint8_t>() : deliveries[0].bytes,
            rig.decoder.streamInfo().matrixCoefficients};
}

TEST(DeliveryConversion, RgbOutputFollowsProcAmpAndColourCoefficients) {
    // subtype, format, the stream's matrix coefficients (0: no colour description), those the decoder should
    // convert with, the ProcAmp values
    const std::tuple<OutputSubtype, int, int, int, ProcAmpValues> cases[] = {
        {OutputSubtype::RGB32, OUTPUT_RGB32, 0, 1, {}},
        {OutputSubtype::RGB32, OUTPUT_RGB32, 0, 1, {40, 0, 0}},
        {OutputSubtype::RGB32, OUTPUT_RGB32, 0, 1, {0, 50, -70}},
        {OutputSubtype::RGB24, OUTPUT_RGB24, 0, 1, {20, -30, 90}},
        {OutputSubtype::RGB565, OUTPUT_RGB565, 0, 1, {-10, 10, 0}},
        {OutputSubtype::RGB32, OUTPUT_RGB32, 6, 6, {30, 0, 0}},
        {OutputSubtype::RGB555, OUTPUT_RGB555, 4, 4, {0, 0, 25}},
    };
    for (std::size_t n = 0; n < std::size(cases); ++n) {
        SCOPED_TRACE(testing::Message() << "case " << n);
        const auto& [subtype, format, streamMc, matrixMc, v] = cases[n];
        const auto [bytes, mc] = deliverPattern(subtype, format, streamMc, v);
        EXPECT_EQ(mc, matrixMc);
        EXPECT_EQ(bytes, convertDirectly(format, buildRgbMatrix(matrixMc, v.brightness, v.contrast, v.saturation)));
        if (n > 0) {  // every case but the first changes the pixels
            EXPECT_NE(bytes, convertDirectly(format, buildRgbMatrix(1, 0, 0, 0)));
        }
    }
}

// The decoder tells its ProcAmp the connection's format at Init.
TEST(DeliveryConversion, ProcAmpAnswersOnlyOnRgbConnections) {
    for (const auto& [subtype, answer] : {std::pair{OutputSubtype::YUY2, kProcAmpNotFound},
                                          std::pair{OutputSubtype::Planar, kProcAmpNotFound},
                                          std::pair{OutputSubtype::RGB555, hr::ok}}) {
        test::DecoderRig rig;
        rig.host.format.subtype = subtype;
        rig.init();
        EXPECT_EQ(rig.decoder.procAmp().Set(VideoProcAmp_Contrast, 5, VideoProcAmp_Flags_Manual), answer) << int(subtype);
    }
}

}  // namespace
}  // namespace tl
