// Hand-computed outputs of the conversion rules, checked on the reference and
// on every tier, so the reference itself is held to the rules; and every tier
// against the reference on random pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <tuple>

#include "convert/reference_rules.h"
#include "convert/vertical_rules.h"
#include "convert_test_support.h"
#include "engine/base/cpu_features.h"

namespace tl::test {
namespace {

constexpr KernelTier kAllLevels[] = {KernelTier::Plain, KernelTier::Mmx, KernelTier::Sse, KernelTier::Sse2};

TEST(WeaveChromaRule, PairsOfSourceRowsInsideThePlane) {
    // 8 rows: c0, avg(c0,c1), avg(c0,c2), c1, c2, avg(c1,c3), avg(c2,c3), c3; from
    // 12 rows on the groups repeat every four rows.
    const std::vector<std::pair<int, int>> expected8 = {{0, 0}, {0, 1}, {0, 2}, {1, 1},
                                                        {2, 2}, {1, 3}, {2, 3}, {3, 3}};
    const std::vector<std::pair<int, int>> expected12 = {{0, 0}, {0, 1}, {0, 2}, {1, 1}, {2, 2}, {1, 3},
                                                         {2, 4}, {3, 3}, {4, 4}, {3, 5}, {4, 5}, {5, 5}};
    for (int h = 1; h < 40; ++h) {
        std::vector<std::pair<int, int>> pairs;
        for (int r = 0; r < h; ++r) {
            const RowPair p = weaveChromaPair(r, h, chromaRows420(h));
            pairs.emplace_back(p.a, p.b);
            EXPECT_TRUE(p.a >= 0 && p.b >= 0 && p.a < chromaRows420(h) && p.b < chromaRows420(h))
                << h << " rows, row " << r;
        }
        EXPECT_EQ(pairs, h == 8 ? expected8 : h == 12 ? expected12 : pairs) << h << " rows";
    }
}

TEST(ConversionRules, ReferenceValues) {
    for (auto [in, luma, chroma] : {std::tuple{0, 0, 0}, {16, 0, 0}, {128, 130, 128}, {235, 255, 250},
                                    {239, 255, 255}, {255, 255, 255}}) {
        EXPECT_EQ(reference::correctLuma(in), luma) << in;
        EXPECT_EQ(reference::correctChroma(in), chroma) << in;
    }
    // BT.709 white, black, grey ((110 * 9539) >> 13 = 128); BT.601 red
    // (R = (13075*112 + 9539*65) >> 13) and green.
    for (auto [matrix, y, cb, cr, bgr] :
         {std::tuple{1, 235, 128, 128, std::vector<int>{255, 255, 255}}, {1, 16, 128, 128, {0, 0, 0}},
          {1, 126, 128, 128, {128, 128, 128}}, {2, 81, 90, 240, {0, 0, 254}}, {2, 145, 54, 34, {0, 255, 0}}}) {
        std::uint8_t out[4];
        reference::ycbcrToBgrx(buildRgbMatrix(matrix, 0, 0, 0), y, cb, cr, out);
        EXPECT_EQ(std::vector<int>(out, out + 3), bgr) << y << "," << cb << "," << cr;
    }
    // Source, premultiplied overlay, alpha: (200 * 128) >> 8 + 50; (200 * 1) >> 8
    // + 255; 245 + 200 saturates; alpha 0 keeps the pixel even with stray colour.
    for (auto [s, p, a, out] : {std::array{200, 50, 128, 150}, {200, 255, 255, 255}, {255, 200, 10, 255},
                                {90, 77, 0, 90}, {0, 0, 255, 0}})
        EXPECT_EQ(reference::blend(s, p, a), out) << s << " " << p << " " << a;
}

// The bytes a kernel writes at `offsets` at one tier, into an aligned buffer.
std::vector<std::pair<int, int>> convertAt(KernelTier level, const KernelKey& key, const Picture& p, int rowPitch,
                                           const std::vector<std::pair<int, int>>& offsets,
                                           const TestOverlay* overlay = nullptr) {
    const RgbMatrixBlock matrix = buildRgbMatrix(key.format >= OUTPUT_RGB32 && !key.overlay ? 2 : 1, 0, 0, 0);
    TestBuffer buffer(rowPitch, p.height, 0);
    findKernel(key, level)(kernelArgs(p, buffer.data(), rowPitch, overlay, &matrix));
    std::vector<std::pair<int, int>> got;
    for (auto [offset, value] : offsets) got.emplace_back(offset, buffer.data()[offset]);
    return got;
}

// Pictures whose rows each hold one value, through one kernel at every tier:
// the bytes at the listed offsets of the output.
TEST(ConversionRules, HandComputedBytesAtEveryTier) {
    const std::vector<int> neutral = {128, 128, 128, 128}, cbRows = {0, 100, 200, 40};
    const std::vector<int> lumaRows = {0, 10, 20, 30, 40, 50};
    const std::vector<int> y = {16, 235, 128, 255}, cb = {16, 239}, cr = {128, 0};  // for colour correction
    // The name, picture size, chroma_format, row values of each plane, kernel, row pitch, and (offset, value) pairs.
    const std::tuple<const char*, int, int, int, std::vector<int>, std::vector<int>, std::vector<int>, KernelKey, int,
                     std::vector<std::pair<int, int>>> cases[] = {
        // Cb rows through the weave upsampling of an 8-row picture.
        {"weave 4:2:0 in YUY2", 16, 8, 1, {}, {0, 100, 200, 50}, neutral, {OUTPUT_YUY2, VerticalClass::Weave}, 32,
         {{1, 0}, {33, 50}, {65, 100}, {97, 100}, {129, 200}, {161, 75}, {193, 125}, {225, 50}}},
        // Bob and field classes bring 4:2:0 chroma through the same upsampling:
        // bob row 0 avg(c0, avg(c0, avg(c0, c1))) = 13; top field row 1
        // avg(U0, U2) = 50; bottom field row 0 avg(U0, U1) = 25, row 1 U1 = 50.
        {"bob 4:2:0", 16, 8, 1, {}, cbRows, neutral, {OUTPUT_YUY2, VerticalClass::Bob}, 32, {{1, 13}}},
        {"top field 4:2:0", 16, 8, 1, {}, cbRows, neutral, {OUTPUT_YUY2, VerticalClass::FieldTop}, 32, {{33, 50}}},
        {"bottom field 4:2:0", 16, 8, 1, {}, cbRows, neutral, {OUTPUT_YUY2, VerticalClass::FieldBottom}, 32,
         {{1, 25}, {33, 50}}},
        // Luma rows 0, 10, 20, ... through YV12: the first and last rows of each class.
        {"bob luma", 16, 6, 2, lumaRows, {}, {}, {OUTPUT_YV12, VerticalClass::Bob, ChromaLayout::C422}, 48,
         {{0, 3}, {32, 10}, {64, 20}, {96, 30}, {128, 40}, {160, 48}}},
        {"top field luma", 16, 6, 2, lumaRows, {}, {}, {OUTPUT_YV12, VerticalClass::FieldTop, ChromaLayout::C422}, 48,
         {{0, 0}, {32, 10}, {64, 20}, {96, 30}, {128, 40}, {160, 45}}},
        {"bottom field luma", 16, 6, 2, lumaRows, {}, {}, {OUTPUT_YV12, VerticalClass::FieldBottom, ChromaLayout::C422},
         48, {{0, 5}, {32, 10}, {64, 20}, {96, 30}, {128, 40}, {160, 50}}},
        // Colour correction in each YUV format.
        {"corrected YUY2", 32, 4, 1, y, cb, cr, {OUTPUT_YUY2, VerticalClass::Progressive, ChromaLayout::C420, true}, 64,
         {{0, 0}, {1, 0}, {3, 128}, {64, 255}, {128, 130}, {129, 255}, {195, 0}}},
        {"corrected UYVY", 32, 4, 1, y, cb, cr, {OUTPUT_UYVY, VerticalClass::Progressive, ChromaLayout::C420, true}, 64,
         {{65, 255}, {128, 255}}},
        // YV12: luma pitch 32, then Cr rows, then Cb rows (pitch 16).
        {"corrected YV12", 32, 4, 1, y, cb, cr, {OUTPUT_YV12, VerticalClass::Progressive, ChromaLayout::C420, true}, 48,
         {{0, 0}, {96, 255}, {128, 128}, {144, 0}, {160, 0}, {176, 255}}},
        // Y 81, Cb 90, Cr 240 under BT.601 is B 0, G 0, R 254 in each RGB packing.
        {"RGB32", 16, 2, 1, {81, 81}, {90}, {240}, {OUTPUT_RGB32}, 64, {{0, 0}, {1, 0}, {2, 254}}},
        {"RGB24", 16, 2, 1, {81, 81}, {90}, {240}, {OUTPUT_RGB24}, 48, {{47, 254}}},
        {"RGB565", 16, 2, 1, {81, 81}, {90}, {240}, {OUTPUT_RGB565}, 32, {{0, 0x00}, {1, 0xF8}}},
        {"RGB555", 16, 2, 1, {81, 81}, {90}, {240}, {OUTPUT_RGB555}, 32, {{0, 0x00}, {1, 0x7C}}},
    };
    for (const auto& [name, width, height, chromaFormat, yValues, cbValues, crValues, key, rowPitch, bytes] : cases) {
        SCOPED_TRACE(name);
        TestPicture pic(width, height, chromaFormat);
        pic.fillRows(0, yValues);
        pic.fillRows(1, cbValues);
        pic.fillRows(2, crValues);
        for (KernelTier level : kAllLevels)
            EXPECT_EQ(convertAt(level, key, pic.picture(), rowPitch, bytes), bytes) << tierName(level);
    }
}

TEST(YcbcrToRgb, OddPixelsAverageTheNextChromaSample) {
    // Cb alternating 28 / 228 per sample; pixel 1 takes avg(28, 228) = 128 (neutral
    // blue), pixel 0 Cb 28, which pulls blue to 0.
    TestPicture pic(16, 2, 2);
    pic.fillRows(0, {126, 126});
    pic.fillRows(2, {128, 128});
    for (int r = 0; r < 2; ++r)
        for (int i = 0; i <= pic.chromaWidth(); ++i) pic.row(1, r)[i] = i % 2 ? 228 : 28;
    for (KernelTier level : kAllLevels)
        EXPECT_EQ(convertAt(level, {OUTPUT_RGB32, VerticalClass::Progressive, ChromaLayout::C422},
                            pic.picture(), 64, {{4, 128}, {0, 0}}),
                  (std::vector<std::pair<int, int>>{{4, 128}, {0, 0}}))
            << tierName(level);
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
    // Pair 0: colour (Y0 10, Cb 20, Y1 30, Cr 40), alphas (a0 128, avg 192, a1 255, avg 192):
    // (200*128)>>8 + 10, (100*64)>>8 + 20, (200*1)>>8 + 30, (60*64)>>8 + 40; pair 1 is transparent.
    overlay.surface[0] = 10 | 20 << 8 | 30 << 16 | 40u << 24;
    overlay.surface[1] = 128 | 192 << 8 | 255 << 16 | 192u << 24;
    const std::vector<std::pair<int, int>> expected = {{0, 110}, {1, 45}, {2, 30}, {3, 55}, {4, 200}};
    for (KernelTier level : kAllLevels)
        EXPECT_EQ(convertAt(level, {OUTPUT_YUY2, VerticalClass::Progressive, ChromaLayout::C420, false, true},
                            pic.picture(), 32, expected, &overlay),
                  expected)
            << tierName(level);
}

// Every kernel leaf of every SIMD tier against the plain reference, on random
// pictures with saturation extremes, sizes that are not multiples of the step,
// unaligned destinations and rows with padding that must stay untouched.
struct Size {
    int width, height;
};
constexpr Size kSizes[] = {{720, 12}, {64, 32}, {50, 22}, {37, 13}, {6, 3}};
constexpr int kFormats[] = {OUTPUT_YUY2, OUTPUT_UYVY, OUTPUT_YV12, OUTPUT_RGB32,
                            OUTPUT_RGB24, OUTPUT_RGB565, OUTPUT_RGB555};
constexpr VerticalClass kClasses[] = {VerticalClass::Progressive, VerticalClass::Weave, VerticalClass::Bob,
                                      VerticalClass::FieldTop, VerticalClass::FieldBottom};
// The SIMD tiers, AVX2 where this processor runs it.
std::vector<KernelTier> simdTiers() {
    std::vector<KernelTier> tiers = {KernelTier::Mmx, KernelTier::Sse, KernelTier::Sse2};
    if (detectedKernelTier() >= KernelTier::Avx2) tiers.push_back(KernelTier::Avx2);
    return tiers;
}

bool isRgb(int format) { return format >= OUTPUT_RGB32; }

// The destination's row pitch and offset for a tier: SSE2 gets what the
// dispatcher gives it (aligned start, 16-byte-multiple rows); the others an odd
// offset and rows with a few spare bytes.
std::pair<int, int> geometryFor(int format, int width, KernelTier level) {
    const bool sse2 = level >= KernelTier::Sse2;
    if (format == OUTPUT_YV12) {
        // SSE2: chroma rows aligned for some sizes, 8 bytes off for others.
        const int lumaPitch = sse2 ? (width + 15) / 16 * 16 : width + (width % 2 ? 5 : 6);
        return {lumaPitch * 3 / 2, sse2 ? 0 : 3};
    }
    const int bytes = packedRowBytes(format, width);
    return {sse2 ? (bytes + 15) / 16 * 16 : bytes + 5, sse2 ? 0 : 5};
}

// Every kernel with each picture size and its chroma_format.
std::vector<std::tuple<KernelKey, Size, int>> allCases() {
    std::vector<std::tuple<KernelKey, Size, int>> cases;
    for (int format : kFormats)
        for (int chroma = 1; chroma <= 3; ++chroma)
            for (VerticalClass cls : kClasses)
                for (int correct = 0; correct < 2; ++correct)
                    for (int overlay = 0; overlay < 2; ++overlay)
                        for (Size size : kSizes) {
                            // Colour correction does not apply to RGB, the overlay only to YUY2 and RGB.
                            if (correct && isRgb(format)) continue;
                            if (overlay && format != OUTPUT_YUY2 && !isRgb(format)) continue;
                            const KernelKey key{format, cls, static_cast<ChromaLayout>(chroma - 1), correct != 0,
                                                overlay != 0};
                            cases.emplace_back(key, size, chroma);
                        }
    return cases;
}

TEST(KernelTiers, EveryLeafMatchesThePlainReference) {
    std::mt19937 rng(20261205);
    const RgbMatrixBlock matrix = buildRgbMatrix(1, 37, -20, 60);
    int compared = 0;
    for (const auto& [key, size, chromaFormat] : allCases()) {
        TestPicture pic(size.width, size.height, chromaFormat);
        pic.fillRandom(rng);
        TestOverlay overlay(pic.picture(), rng);
        const ConvertKernel reference = findKernel(key, KernelTier::Plain);
        ASSERT_NE(reference, nullptr) << describe(key);
        for (KernelTier level : simdTiers()) {
            const auto [rowPitch, offset] = geometryFor(key.format, size.width, level);
            TestBuffer expected(rowPitch, size.height, offset), actual(rowPitch, size.height, offset);
            const TestOverlay* ov = key.overlay ? &overlay : nullptr;
            reference(kernelArgs(pic.picture(), expected.data(), rowPitch, ov, &matrix));
            // The reference leaves the bytes between a row's end and the next row
            // alone, so this comparison also covers the SIMD tails.
            const int rowBytes = key.format == OUTPUT_YV12 ? rowPitch : packedRowBytes(key.format, size.width);
            for (int r = 0; r < size.height; ++r)
                for (int i = rowBytes; i < rowPitch; ++i)
                    ASSERT_EQ(expected.data()[r * rowPitch + i], 0xCD) << describe(key) << " row " << r;
            const ConvertKernel kernel = findKernel(key, level);
            ASSERT_NE(kernel, nullptr) << describe(key) << " " << tierName(level);
            kernel(kernelArgs(pic.picture(), actual.data(), rowPitch, ov, &matrix));
            ASSERT_TRUE(expected.guardIntact()) << describe(key);
            const auto want = expected.region();
            const auto got = actual.region();
            const auto mismatch = std::mismatch(want.begin(), want.end(), got.begin());
            ASSERT_TRUE(mismatch.first == want.end())
                << describe(key) << " " << tierName(level) << " " << size.width << "x" << size.height
                << ": first difference at byte " << (mismatch.first - want.begin());
            ++compared;
        }
    }
    EXPECT_EQ(compared, 1200 * static_cast<int>(simdTiers().size()));  // the whole table ran
}

TEST(KernelTiers, MaskedOffOverlayRowsEqualTheNonOverlayKernel) {
    std::mt19937 rng(11);
    const RgbMatrixBlock matrix = buildRgbMatrix(2, 0, 0, 0);
    std::vector<KernelTier> levels = simdTiers();
    levels.push_back(KernelTier::Plain);
    for (int format : {OUTPUT_YUY2, OUTPUT_RGB32, OUTPUT_RGB24, OUTPUT_RGB565, OUTPUT_RGB555})
        for (KernelTier level : levels) {
            TestPicture pic(64, 16, 1);
            pic.fillRandom(rng);
            TestOverlay overlay(pic.picture(), rng);
            std::fill(overlay.mask.begin(), overlay.mask.end(), 0);
            std::fill(overlay.surface.begin(), overlay.surface.end(), 0xFF804020u);
            const int pitch = (packedRowBytes(format, 64) + 15) / 16 * 16;
            TestBuffer plain(pitch, 16, 0), blended(pitch, 16, 0);
            KernelKey key{format};
            findKernel(key, level)(kernelArgs(pic.picture(), plain.data(), pitch, nullptr, &matrix));
            key.overlay = true;
            findKernel(key, level)(kernelArgs(pic.picture(), blended.data(), pitch, &overlay, &matrix));
            EXPECT_EQ(plain.region(), blended.region()) << describe(key) << " " << tierName(level);
        }
}

// The ProcAmp extremes stretch the matrix weights to the 16-bit limits, where
// the SIMD sums come nearest their range. A 4:4:4 picture with Y = column and
// Cb = Cr = row puts every (luma, chroma) pair through B, R and the fourth
// byte; G sees each luma with a diagonal of chroma pairs plus random rows.
TEST(KernelTiers, ProcAmpExtremesMatchThePlainReference) {
    std::mt19937 rng(7);
    TestPicture pic(256, 260, 3);
    for (int r = 0; r < 256; ++r)
        for (int i = 0; i < 256; ++i) {
            pic.row(0, r)[i] = static_cast<std::uint8_t>(i);
            pic.row(1, r)[i] = pic.row(2, r)[i] = static_cast<std::uint8_t>(r);
        }
    for (int r = 256; r < 260; ++r)
        for (int plane = 0; plane < 3; ++plane)
            for (int i = 0; i < 256; ++i) pic.row(plane, r)[i] = static_cast<std::uint8_t>(rng());
    const int pitch = packedRowBytes(OUTPUT_RGB32, 256);
    const struct {
        int brightness, contrast, saturation;
    } extremes[] = {{0, 128, 128}, {128, 128, -128}, {-128, -128, 128}, {-128, 128, 128}, {128, -128, -128}};
    for (const auto& e : extremes)
        for (int matrixCoefficients : {1, 2, 7})
            for (ChromaLayout layout : {ChromaLayout::C444, ChromaLayout::C420}) {
                const RgbMatrixBlock matrix = buildRgbMatrix(matrixCoefficients, e.brightness, e.contrast, e.saturation);
                const KernelKey key{OUTPUT_RGB32, VerticalClass::Progressive, layout};
                TestBuffer expected(pitch, 260, 0);
                findKernel(key, KernelTier::Plain)(kernelArgs(pic.picture(), expected.data(), pitch, nullptr, &matrix));
                for (KernelTier level : simdTiers()) {
                    TestBuffer actual(pitch, 260, 0);
                    findKernel(key, level)(kernelArgs(pic.picture(), actual.data(), pitch, nullptr, &matrix));
                    EXPECT_EQ(expected.region(), actual.region())
                        << describe(key) << " " << tierName(level) << " ProcAmp " << e.brightness << "/"
                        << e.contrast << "/" << e.saturation << " matrix " << matrixCoefficients;
                }
            }
}

}  // namespace
}  // namespace tl::test
