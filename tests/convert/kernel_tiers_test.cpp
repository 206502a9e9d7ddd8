// Every kernel leaf of every SIMD tier against the plain reference, on random
// pictures with saturation extremes, sizes that are not multiples of the step,
// unaligned destinations and rows with padding that must stay untouched.
#include <gtest/gtest.h>

#include <algorithm>

#include "convert_test_support.h"

namespace tl::test {
namespace {

struct Size {
    int width, height;
};
constexpr Size kSizes[] = {{720, 12}, {64, 32}, {50, 22}, {37, 13}, {6, 3}};
constexpr int kFormats[] = {OUTPUT_YUY2, OUTPUT_UYVY, OUTPUT_YV12, OUTPUT_RGB32,
                            OUTPUT_RGB24, OUTPUT_RGB565, OUTPUT_RGB555};
constexpr VerticalClass kClasses[] = {VerticalClass::Progressive, VerticalClass::Weave, VerticalClass::Bob,
                                      VerticalClass::FieldTop, VerticalClass::FieldBottom};
constexpr KernelTier kSimdTiers[] = {KernelTier::Mmx, KernelTier::Sse, KernelTier::Sse2};

bool isRgb(int format) { return format >= OUTPUT_RGB32; }

// Destination geometry for a tier: SSE2 gets what the dispatcher gives it
// (aligned start, 16-byte-multiple rows); the others an odd offset and rows
// with a few spare bytes.
struct Geometry {
    int rowPitch, rows, offset;
};
Geometry geometryFor(int format, const Picture& p, KernelTier level) {
    const bool sse2 = level == KernelTier::Sse2;
    if (format == OUTPUT_YV12) {
        // SSE2: chroma rows aligned for some sizes, 8 bytes off for others.
        const int lumaPitch = sse2 ? (p.width + 15) / 16 * 16 : p.width + (p.width % 2 ? 5 : 6);
        return {lumaPitch * 3 / 2, p.height, sse2 ? 0 : 3};
    }
    const int bytes = packedRowBytes(format, p.width);
    return {sse2 ? (bytes + 15) / 16 * 16 : bytes + 5, p.height, sse2 ? 0 : 5};
}

struct Case {
    KernelKey key;
    Size size;
    int chromaFormat;
};

std::vector<Case> allCases() {
    std::vector<Case> cases;
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
                            cases.push_back({key, size, chroma});
                        }
    return cases;
}

TEST(KernelTiers, EveryLeafMatchesThePlainReference) {
    std::mt19937 rng(20261205);
    const RgbMatrixBlock matrix = buildRgbMatrix(1, 37, -20, 60);
    int compared = 0;
    for (const Case& c : allCases()) {
        TestPicture pic(c.size.width, c.size.height, c.chromaFormat);
        pic.fillRandom(rng);
        TestOverlay overlay(pic.picture(), rng);
        const ConvertKernel reference = findKernel(c.key, KernelTier::Plain);
        ASSERT_NE(reference, nullptr) << describe(c.key);
        for (KernelTier level : kSimdTiers) {
            const Geometry g = geometryFor(c.key.format, pic.picture(), level);
            TestBuffer expected(g.rowPitch, g.rows, g.offset);
            TestBuffer actual(g.rowPitch, g.rows, g.offset);
            const TestOverlay* ov = c.key.overlay ? &overlay : nullptr;
            reference(kernelArgs(pic.picture(), expected.data(), g.rowPitch, ov, &matrix));
            // The reference leaves the bytes between a row's end and the next row
            // alone, so this comparison also covers the SIMD tails.
            const int rowBytes = c.key.format == OUTPUT_YV12 ? g.rowPitch : packedRowBytes(c.key.format, c.size.width);
            for (int r = 0; r < g.rows; ++r)
                for (int i = rowBytes; i < g.rowPitch; ++i)
                    ASSERT_EQ(expected.data()[r * g.rowPitch + i], 0xCD) << describe(c.key) << " row " << r;
            const ConvertKernel kernel = findKernel(c.key, level);
            ASSERT_NE(kernel, nullptr) << describe(c.key) << " " << tierName(level);
            kernel(kernelArgs(pic.picture(), actual.data(), g.rowPitch, ov, &matrix));
            ASSERT_TRUE(expected.guardIntact()) << describe(c.key);
            const auto want = expected.region();
            const auto got = actual.region();
            const auto mismatch = std::mismatch(want.begin(), want.end(), got.begin());
            ASSERT_TRUE(mismatch.first == want.end())
                << describe(c.key) << " " << tierName(level) << " " << c.size.width << "x" << c.size.height
                << ": first difference at byte " << (mismatch.first - want.begin());
            ++compared;
        }
    }
    EXPECT_EQ(compared, 3600);  // the whole table ran
}

// A row whose mask byte is 0 is exactly the non-overlay kernel's row, whatever
// the overlay holds.
TEST(KernelTiers, MaskedOffOverlayRowsEqualTheNonOverlayKernel) {
    std::mt19937 rng(11);
    const RgbMatrixBlock matrix = buildRgbMatrix(2, 0, 0, 0);
    for (int format : {OUTPUT_YUY2, OUTPUT_RGB32, OUTPUT_RGB24, OUTPUT_RGB565, OUTPUT_RGB555})
        for (KernelTier level : {KernelTier::Plain, KernelTier::Mmx, KernelTier::Sse, KernelTier::Sse2}) {
            TestPicture pic(64, 16, 1);
            pic.fillRandom(rng);
            TestOverlay overlay(pic.picture(), rng);
            std::fill(overlay.mask.begin(), overlay.mask.end(), 0);
            std::fill(overlay.surface.begin(), overlay.surface.end(), 0xFF804020u);
            const int pitch = (packedRowBytes(format, 64) + 15) / 16 * 16;
            TestBuffer plain(pitch, 16, 0), blended(pitch, 16, 0);
            KernelKey key;
            key.format = format;
            findKernel(key, level)(kernelArgs(pic.picture(), plain.data(), pitch, nullptr, &matrix));
            key.overlay = true;
            findKernel(key, level)(kernelArgs(pic.picture(), blended.data(), pitch, &overlay, &matrix));
            EXPECT_EQ(plain.region(), blended.region()) << describe(key) << " " << tierName(level);
        }
}

}  // namespace
}  // namespace tl::test
