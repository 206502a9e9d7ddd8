// Hand-computed outputs of the conversion rules, checked on the reference and
// on every tier, so the reference itself is held to the rules.
#include <gtest/gtest.h>

#include "convert/reference_rules.h"
#include "convert/vertical_rules.h"
#include "convert_test_support.h"

namespace tl::test {
namespace {

constexpr KernelTier kAllLevels[] = {KernelTier::Plain, KernelTier::Mmx, KernelTier::Sse, KernelTier::Sse2};

// Converts with one kernel into an aligned buffer of 16-byte-multiple rows.
std::vector<std::uint8_t> convertWith(KernelTier level, const KernelKey& key, const Picture& p, int rowPitch,
                                      const RgbMatrixBlock* matrix = nullptr, const TestOverlay* ov = nullptr) {
    TestBuffer buffer(rowPitch, p.height, 0);
    findKernel(key, level)(kernelArgs(p, buffer.data(), rowPitch, ov, matrix));
    return std::vector<std::uint8_t>(buffer.data(), buffer.data() + buffer.size());
}

KernelKey keyOf(int format, VerticalClass cls, ChromaLayout layout, bool correct = false, bool overlay = false) {
    KernelKey k;
    k.format = format;
    k.vertical = cls;
    k.chroma = layout;
    k.colorCorrection = correct;
    k.overlay = overlay;
    return k;
}

TEST(WeaveChromaRule, EightRowPictureUsesTheFieldsOwnRows) {
    // c0, avg(c0,c1), avg(c0,c2), c1, c2, avg(c1,c3), avg(c2,c3), c3
    const RowPair expected[8] = {{0, 0}, {0, 1}, {0, 2}, {1, 1}, {2, 2}, {1, 3}, {2, 3}, {3, 3}};
    for (int r = 0; r < 8; ++r) {
        const RowPair p = weaveChromaPair(r, 8, 4);
        EXPECT_EQ(p.a, expected[r].a) << "row " << r;
        EXPECT_EQ(p.b, expected[r].b) << "row " << r;
    }
}

TEST(WeaveChromaRule, GroupsRepeatEveryFourRowsAndStayInsideThePlane) {
    const RowPair expected12[12] = {{0, 0}, {0, 1}, {0, 2}, {1, 1}, {2, 2}, {1, 3},
                                    {2, 4}, {3, 3}, {4, 4}, {3, 5}, {4, 5}, {5, 5}};
    for (int r = 0; r < 12; ++r) {
        const RowPair p = weaveChromaPair(r, 12, 6);
        EXPECT_EQ(p.a, expected12[r].a) << "row " << r;
        EXPECT_EQ(p.b, expected12[r].b) << "row " << r;
    }
    for (int h = 1; h < 40; ++h)
        for (int r = 0; r < h; ++r) {
            const RowPair p = weaveChromaPair(r, h, chromaRows420(h));
            EXPECT_TRUE(p.a >= 0 && p.b >= 0 && p.a < chromaRows420(h) && p.b < chromaRows420(h))
                    << h << " rows, row " << r;
        }
}

// Weave of an 8-row 4:2:0 picture seen through the Cb bytes of YUY2 output.
TEST(WeaveChromaRule, YuyvOutputCarriesTheUpsampledRows) {
    TestPicture pic(16, 8, 1);
    pic.fillRows(1, {0, 100, 200, 50});
    pic.fillRows(2, {128, 128, 128, 128});
    const int expected[8] = {0, 50, 100, 100, 200, 75, 125, 50};
    for (KernelTier level : kAllLevels) {
        const auto out = convertWith(level, keyOf(OUTPUT_YUY2, VerticalClass::Weave, ChromaLayout::C420),
                                     pic.picture(), 32);
        for (int r = 0; r < 8; ++r) EXPECT_EQ(out[r * 32 + 1], expected[r]) << levelName(level) << " row " << r;
    }
}

TEST(ColourCorrection, EndPoints) {
    struct {
        int in, luma, chroma;
    } const kCases[] = {{0, 0, 0},     {16, 0, 0},     {128, 130, 128}, {235, 255, 250},
                        {239, 255, 255}, {255, 255, 255}};
    for (const auto& c : kCases) {
        EXPECT_EQ(reference::correctLuma(c.in), c.luma) << c.in;
        EXPECT_EQ(reference::correctChroma(c.in), c.chroma) << c.in;
    }
}

TEST(ColourCorrection, AppliesToYuy2UyvyAndYv12AtEveryTier) {
    TestPicture pic(32, 4, 1);
    pic.fillRows(0, {16, 235, 128, 255});
    pic.fillRows(1, {16, 239});
    pic.fillRows(2, {128, 0});
    for (KernelTier level : kAllLevels) {
        const auto yuy2 = convertWith(level, keyOf(OUTPUT_YUY2, VerticalClass::Progressive, ChromaLayout::C420, true),
                                      pic.picture(), 64);
        EXPECT_EQ(yuy2[0], 0) << levelName(level);
        EXPECT_EQ(yuy2[1], 0);
        EXPECT_EQ(yuy2[3], 128);
        EXPECT_EQ(yuy2[64], 255);
        EXPECT_EQ(yuy2[2 * 64], 130);
        EXPECT_EQ(yuy2[2 * 64 + 1], 255);
        EXPECT_EQ(yuy2[3 * 64 + 3], 0);
        const auto uyvy = convertWith(level, keyOf(OUTPUT_UYVY, VerticalClass::Progressive, ChromaLayout::C420, true),
                                      pic.picture(), 64);
        EXPECT_EQ(uyvy[64 + 1], 255) << levelName(level);
        EXPECT_EQ(uyvy[2 * 64], 255);
        // YV12: luma pitch 32, then Cr rows, then Cb rows (pitch 16).
        const auto yv12 = convertWith(level, keyOf(OUTPUT_YV12, VerticalClass::Progressive, ChromaLayout::C420, true),
                                      pic.picture(), 48);
        EXPECT_EQ(yv12[0], 0) << levelName(level);
        EXPECT_EQ(yv12[3 * 32], 255);
        EXPECT_EQ(yv12[4 * 32], 128);       // Cr row 0
        EXPECT_EQ(yv12[4 * 32 + 16], 0);    // Cr row 1
        EXPECT_EQ(yv12[4 * 32 + 32], 0);    // Cb row 0
        EXPECT_EQ(yv12[4 * 32 + 48], 255);  // Cb row 1
    }
}

TEST(YcbcrToRgb, KnownValues) {
    struct {
        int matrix, y, cb, cr;
        std::uint8_t b, g, r;
    } const kCases[] = {
        {1, 235, 128, 128, 255, 255, 255},
        {1, 16, 128, 128, 0, 0, 0},
        {1, 126, 128, 128, 128, 128, 128},  // (110 * 9539) >> 13 = 128
        {2, 81, 90, 240, 0, 0, 254},        // BT.601 red: R = (13075*112 + 9539*65) >> 13
        {2, 145, 54, 34, 0, 255, 0},        // BT.601 green
    };
    for (const auto& c : kCases) {
        std::uint8_t out[4];
        reference::ycbcrToBgrx(buildRgbMatrix(c.matrix, 0, 0, 0), c.y, c.cb, c.cr, out);
        EXPECT_EQ(out[0], c.b) << c.y << "," << c.cb << "," << c.cr;
        EXPECT_EQ(out[1], c.g) << c.y << "," << c.cb << "," << c.cr;
        EXPECT_EQ(out[2], c.r) << c.y << "," << c.cb << "," << c.cr;
    }
}

TEST(YcbcrToRgb, FormatsPackTheSamePixel) {
    // Y 81, Cb 90, Cr 240 under BT.601 is B 0, G 0, R 254.
    TestPicture pic(16, 2, 1);
    pic.fillRows(0, {81, 81});
    pic.fillRows(1, {90});
    pic.fillRows(2, {240});
    const RgbMatrixBlock m = buildRgbMatrix(2, 0, 0, 0);
    for (KernelTier level : kAllLevels) {
        const auto rgb32 = convertWith(level, keyOf(OUTPUT_RGB32, VerticalClass::Progressive, ChromaLayout::C420),
                                       pic.picture(), 64, &m);
        EXPECT_EQ(rgb32[0], 0) << levelName(level);
        EXPECT_EQ(rgb32[1], 0);
        EXPECT_EQ(rgb32[2], 254);
        const auto rgb24 = convertWith(level, keyOf(OUTPUT_RGB24, VerticalClass::Progressive, ChromaLayout::C420),
                                       pic.picture(), 48, &m);
        EXPECT_EQ(rgb24[3 * 15 + 2], 254) << levelName(level);
        const auto rgb565 = convertWith(level, keyOf(OUTPUT_RGB565, VerticalClass::Progressive, ChromaLayout::C420),
                                        pic.picture(), 32, &m);
        EXPECT_EQ(rgb565[0] | rgb565[1] << 8, 0xF800) << levelName(level);  // 254 >> 3 = 31
        const auto rgb555 = convertWith(level, keyOf(OUTPUT_RGB555, VerticalClass::Progressive, ChromaLayout::C420),
                                        pic.picture(), 32, &m);
        EXPECT_EQ(rgb555[0] | rgb555[1] << 8, 0x7C00) << levelName(level);
    }
}

TEST(YcbcrToRgb, OddPixelsAverageTheNextChromaSample) {
    // Cb alternating 28 / 228 per sample; pixel 1 takes avg(28, 228) = 128.
    TestPicture pic(16, 2, 2);
    pic.fillRows(0, {126, 126});
    pic.fillRows(2, {128, 128});
    for (int r = 0; r < 2; ++r)
        for (int i = 0; i <= pic.chromaWidth(); ++i) pic.row(1, r)[i] = i % 2 ? 228 : 28;
    const RgbMatrixBlock m = buildRgbMatrix(1, 0, 0, 0);
    for (KernelTier level : kAllLevels) {
        const auto out = convertWith(level, keyOf(OUTPUT_RGB32, VerticalClass::Progressive, ChromaLayout::C422),
                                     pic.picture(), 64, &m);
        EXPECT_EQ(out[4], 128) << levelName(level);  // B of pixel 1: neutral
        EXPECT_EQ(out[0], 0) << levelName(level);    // B of pixel 0: Cb 28 pulls blue to 0
    }
}

// Luma rows 0, 10, 20, ... through YV12 (a plain copy of what the rule makes).
TEST(BobRules, FirstAndLastRows) {
    TestPicture pic(16, 6, 2);
    pic.fillRows(0, {0, 10, 20, 30, 40, 50});
    struct {
        VerticalClass cls;
        int rows[6];
    } const kCases[] = {
        {VerticalClass::Bob, {3, 10, 20, 30, 40, 48}},
        {VerticalClass::FieldTop, {0, 10, 20, 30, 40, 45}},
        {VerticalClass::FieldBottom, {5, 10, 20, 30, 40, 50}},
    };
    for (const auto& c : kCases)
        for (KernelTier level : kAllLevels) {
            const auto out = convertWith(level, keyOf(OUTPUT_YV12, c.cls, ChromaLayout::C422), pic.picture(), 48);
            for (int r = 0; r < 6; ++r)
                EXPECT_EQ(out[r * 32], c.rows[r]) << levelName(level) << " class " << int(c.cls) << " row " << r;
        }
}

// 4:2:0 chroma in the bob classes goes through the weave upsampling first.
TEST(BobRules, UpsampledChromaRows) {
    TestPicture pic(16, 8, 1);
    pic.fillRows(1, {0, 100, 200, 40});
    pic.fillRows(2, {128, 128, 128, 128});
    for (KernelTier level : kAllLevels) {
        // avg(c0, avg(c0, avg(c0, c1))) = avg(0, avg(0, 50)) = 13
        const auto bob = convertWith(level, keyOf(OUTPUT_YUY2, VerticalClass::Bob, ChromaLayout::C420),
                                     pic.picture(), 32);
        EXPECT_EQ(bob[1], 13) << levelName(level);
        // Top field, row 1: avg(U0, U2) = avg(c0, avg(c0, c2)) = avg(0, 100) = 50
        const auto top = convertWith(level, keyOf(OUTPUT_YUY2, VerticalClass::FieldTop, ChromaLayout::C420),
                                     pic.picture(), 32);
        EXPECT_EQ(top[32 + 1], 50) << levelName(level);
        // Bottom field, row 0: avg(U0, U1) = avg(0, 50) = 25; row 1: U1 = 50
        const auto bottom = convertWith(level, keyOf(OUTPUT_YUY2, VerticalClass::FieldBottom, ChromaLayout::C420),
                                        pic.picture(), 32);
        EXPECT_EQ(bottom[1], 25) << levelName(level);
        EXPECT_EQ(bottom[32 + 1], 50) << levelName(level);
    }
}

TEST(OverlayBlend, Formula) {
    struct {
        int s, p, a, out;
    } const kCases[] = {
        {200, 50, 128, 150},  // (200 * 128) >> 8 = 100, + 50
        {200, 255, 255, 255}, // (200 * 1) >> 8 = 0, + 255
        {255, 200, 10, 255},  // 245 + 200 saturates
        {90, 77, 0, 90},      // alpha 0 keeps the pixel even with stray colour
        {0, 0, 255, 0},
    };
    for (const auto& c : kCases) EXPECT_EQ(reference::blend(c.s, c.p, c.a), c.out) << c.s << " " << c.p << " " << c.a;
}

TEST(OverlayBlend, Yuy2BytesUseTheAlphaInTheSamePosition) {
    std::mt19937 rng(3);
    TestPicture pic(16, 2, 1);
    pic.fillRows(0, {200, 200});
    pic.fillRows(1, {100});
    pic.fillRows(2, {60});
    TestOverlay overlay(pic.picture(), rng);
    std::fill(overlay.surface.begin(), overlay.surface.end(), 0u);
    std::fill(overlay.mask.begin(), overlay.mask.end(), 1);
    // Pair 0: colour (Y0 10, Cb 20, Y1 30, Cr 40), alphas (a0 128, avg 192, a1 255, avg 192).
    overlay.surface[0] = 10 | 20 << 8 | 30 << 16 | 40u << 24;
    overlay.surface[1] = 128 | 192 << 8 | 255 << 16 | 192u << 24;
    for (KernelTier level : kAllLevels) {
        const auto out = convertWith(level, keyOf(OUTPUT_YUY2, VerticalClass::Progressive, ChromaLayout::C420,
                                                  false, true),
                                     pic.picture(), 32, nullptr, &overlay);
        EXPECT_EQ(out[0], 110) << levelName(level);  // (200*128)>>8 + 10
        EXPECT_EQ(out[1], 45) << levelName(level);   // (100*64)>>8 + 20
        EXPECT_EQ(out[2], 30) << levelName(level);   // (200*1)>>8 + 30
        EXPECT_EQ(out[3], 55) << levelName(level);   // (60*64)>>8 + 40
        EXPECT_EQ(out[4], 200) << levelName(level);  // pair 1 is transparent
    }
}

}  // namespace
}  // namespace tl::test
