// The dispatchers: which kernel a picture and context select, and what they
// leave alone.
#include <gtest/gtest.h>

#include <algorithm>

#include "convert/procamp.h"
#include "convert_test_support.h"
#include "engine/base/cpu_features.h"

namespace tl::test {
namespace {

constexpr std::uint32_t kMmxSseSse2 = cpu_bit::mmx | cpu_bit::sse | cpu_bit::sse2;

TEST(Dispatch, TierFromFeaturesAndAlignment) {
    alignas(16) static std::uint8_t buffer[64];
    struct {
        std::uint32_t features;
        int offset, rowPitch, format;
        KernelTier level;
    } const kCases[] = {
        {kMmxSseSse2, 0, 1440, OUTPUT_YUY2, KernelTier::Sse2},
        {kMmxSseSse2 & ~cpu_bit::sse2, 0, 1440, OUTPUT_YUY2, KernelTier::Sse},  // SSE2 switched off
        {kMmxSseSse2, 8, 1440, OUTPUT_YUY2, KernelTier::Sse},                   // destination off by 8
        {kMmxSseSse2, 0, 1448, OUTPUT_YUY2, KernelTier::Sse},                   // rows off by 8
        {cpu_bit::mmx, 0, 1440, OUTPUT_YUY2, KernelTier::Mmx},
        {0, 0, 1440, OUTPUT_YUY2, KernelTier::Mmx},                              // no kernel below MMX
        {kMmxSseSse2, 0, 1080, OUTPUT_YV12, KernelTier::Sse2},                   // chroma rows 360 apart
        {kMmxSseSse2, 0, 1068, OUTPUT_YV12, KernelTier::Sse},                    // luma rows 712 apart
        {kMmxSseSse2, 0, 1056, OUTPUT_YV12, KernelTier::Sse2},                   // 704 luma, 352 chroma
    };
    for (const auto& c : kCases)
        EXPECT_EQ(chooseKernelTier(c.features, buffer + c.offset, c.rowPitch, c.format), c.level)
                << c.features << " +" << c.offset << " pitch " << c.rowPitch;
}

struct Fixture {
    Fixture(int width, int height, int chromaFormat, int format)
        : rng(5), pic(width, height, chromaFormat), overlay((pic.fillRandom(rng), pic.picture()), rng) {
        matrix = buildRgbMatrix(1, 0, 0, 0);
        context.outputFormat = format;
        context.chromaFormat = chromaFormat;
        context.colorCorrection = 0;
        context.overlaySurface = overlay.surface.data();
        context.overlayRowMask = overlay.mask.data();
        context.rgbMatrix = &matrix;
        context.cpuFeatures = kMmxSseSse2;
    }
    std::mt19937 rng;
    TestPicture pic;
    TestOverlay overlay;
    RgbMatrixBlock matrix;
    ConversionContext context;
};

std::vector<std::uint8_t> run(void (*convert)(const Picture&, const ConversionContext&, std::uint8_t*, int),
                              Fixture& f, int rowPitch, int offset = 0) {
    TestBuffer buffer(rowPitch, f.pic.picture().height, offset);
    convert(f.pic.picture(), f.context, buffer.data(), rowPitch);
    return buffer.region();
}

std::vector<std::uint8_t> runKernel(const KernelKey& key, Fixture& f, int rowPitch, int offset = 0) {
    TestBuffer buffer(rowPitch, f.pic.picture().height, offset);
    findKernel(key, KernelTier::Plain)(kernelArgs(f.pic.picture(), buffer.data(), rowPitch, &f.overlay, &f.matrix));
    return buffer.region();
}

TEST(Dispatch, YvyuAndUnknownFormatsWriteNothing) {
    for (int format : {int(OUTPUT_YVYU), 9, -1, 100}) {
        Fixture f(64, 16, 1, format);
        const auto out = run(ConvertProgressive, f, 128);
        for (auto b : out) ASSERT_EQ(b, 0xCD) << format;
    }
}

TEST(Dispatch, UnusableArgumentsWriteNothing) {
    Fixture f(64, 16, 1, OUTPUT_RGB32);
    f.context.rgbMatrix = nullptr;
    for (auto b : run(ConvertProgressive, f, 256)) ASSERT_EQ(b, 0xCD);
    Fixture g(64, 16, 0, OUTPUT_YUY2);
    for (auto b : run(ConvertProgressive, g, 128)) ASSERT_EQ(b, 0xCD);
    Fixture narrow(64, 16, 1, OUTPUT_YUY2);
    narrow.pic.picture().chromaStride = 16;
    for (auto b : run(ConvertProgressive, narrow, 128)) ASSERT_EQ(b, 0xCD);
    Fixture h(64, 16, 1, OUTPUT_YUY2);
    TestBuffer buffer(128, 16, 0);
    ConvertProgressive(h.pic.picture(), h.context, buffer.data(), 0);
    ConvertProgressive(h.pic.picture(), h.context, buffer.data(), -128);
    for (auto b : buffer.region()) ASSERT_EQ(b, 0xCD);
}

TEST(Dispatch, Yuy2WithOverlayAndCorrectionBothCorrectsAndBlends) {
    Fixture f(64, 16, 1, OUTPUT_YUY2);
    f.context.overlayActive = 1;
    f.context.colorCorrection = 1;
    KernelKey key;
    key.format = OUTPUT_YUY2;
    key.colorCorrection = true;
    key.overlay = true;
    EXPECT_EQ(run(ConvertProgressive, f, 128), runKernel(key, f, 128));
    key.overlay = false;
    EXPECT_NE(run(ConvertProgressive, f, 128), runKernel(key, f, 128));
}

TEST(Dispatch, UyvyNeverShowsTheOverlay) {
    Fixture f(64, 16, 1, OUTPUT_UYVY);
    const auto without = run(ConvertWeave, f, 128);
    f.context.overlayActive = 1;
    EXPECT_EQ(run(ConvertWeave, f, 128), without);
}

TEST(Dispatch, RgbIgnoresColourCorrection) {
    Fixture f(64, 16, 2, OUTPUT_RGB24);
    const auto off = run(ConvertProgressive, f, 192);
    f.context.colorCorrection = 1;
    EXPECT_EQ(run(ConvertProgressive, f, 192), off);
}

TEST(Dispatch, ProgressiveAndWeaveDifferOnlyFor420) {
    for (int chroma = 1; chroma <= 3; ++chroma) {
        Fixture f(64, 16, chroma, OUTPUT_RGB32);
        const bool same = run(ConvertProgressive, f, 256) == run(ConvertWeave, f, 256);
        EXPECT_EQ(same, chroma != 1) << chroma;
    }
}

TEST(Dispatch, EachDispatcherPicksItsVerticalClass) {
    Fixture f(48, 20, 1, OUTPUT_RGB565);
    KernelKey key;
    key.format = OUTPUT_RGB565;
    key.vertical = VerticalClass::Bob;
    EXPECT_EQ(run(ConvertSoftwareBob, f, 96, 4), runKernel(key, f, 96, 4));
    key.vertical = VerticalClass::FieldTop;
    EXPECT_EQ(run([](const Picture& p, const ConversionContext& c, std::uint8_t* d, int pitch) {
                  ConvertFieldBob(p, c, d, pitch, 1);
              }, f, 96, 4),
              runKernel(key, f, 96, 4));
    key.vertical = VerticalClass::FieldBottom;
    EXPECT_EQ(run([](const Picture& p, const ConversionContext& c, std::uint8_t* d, int pitch) {
                  ConvertFieldBob(p, c, d, pitch, 0);
              }, f, 96, 4),
              runKernel(key, f, 96, 4));
}

// Bottom-up RGB is the top-down picture with its rows in reverse order, at every
// tier and vertical class; other formats ignore the request.
TEST(Dispatch, BottomUpRgbReversesTheRows) {
    using Converter = void (*)(const Picture&, const ConversionContext&, std::uint8_t*, int);
    const Converter converters[] = {ConvertProgressive, ConvertWeave, ConvertSoftwareBob};
    for (int format : {OUTPUT_RGB32, OUTPUT_RGB24, OUTPUT_RGB565, OUTPUT_RGB555, OUTPUT_YUY2})
        for (Converter convert : converters)
            for (std::uint32_t features : {kMmxSseSse2, cpu_bit::mmx}) {
                Fixture f(40, 12, 1, format);
                f.context.cpuFeatures = features;
                const int pitch = 3 * 16 * 4;
                const auto topDown = run(convert, f, pitch);
                f.context.rgbBottomUp = true;
                const auto bottomUp = run(convert, f, pitch);
                const bool rgb = format != OUTPUT_YUY2;
                for (int r = 0; r < 12; ++r) {
                    const int from = rgb ? 11 - r : r;
                    ASSERT_TRUE(std::equal(bottomUp.begin() + r * pitch, bottomUp.begin() + (r + 1) * pitch,
                                           topDown.begin() + from * pitch))
                        << format << " row " << r << " features " << features;
                }
                EXPECT_TRUE(std::equal(bottomUp.end() - TestBuffer::kGuard, bottomUp.end(),
                                       topDown.end() - TestBuffer::kGuard));
            }
}

// A sample taller than the picture (the renderer kept its old size): the picture
// takes the rows shown at the top, for YV12 inside planes laid out for the
// buffer's rows, for bottom-up RGB from the buffer's last row up.
TEST(Dispatch, PictureAtTheTopOfATallerBuffer) {
    struct Case {
        int format, pitch;
        bool bottomUp;
    } const kCases[] = {{OUTPUT_YUY2, 96, false}, {OUTPUT_YV12, 96, false}, {OUTPUT_RGB32, 192, false},
                        {OUTPUT_RGB24, 144, true}, {OUTPUT_RGB565, 96, true}};
    constexpr int kRows = 12, kBufferRows = 20;
    for (const Case& c : kCases) {
        Fixture f(40, kRows, 1, c.format);
        f.context.rgbBottomUp = c.bottomUp;
        const auto exact = run(ConvertProgressive, f, c.pitch);
        f.context.bufferRows = kBufferRows;
        TestBuffer buffer(c.pitch, kBufferRows, 0);
        ConvertProgressive(f.pic.picture(), f.context, buffer.data(), c.pitch);
        const std::vector<std::uint8_t> tall = buffer.region();
        ASSERT_TRUE(buffer.guardIntact()) << c.format;
        if (c.format == OUTPUT_YV12) {
            // Luma rows, then each chroma plane, every plane's rows at its start.
            const int luma = 64, chroma = 32;
            for (int r = 0; r < kRows; ++r)
                ASSERT_TRUE(std::equal(tall.begin() + r * luma, tall.begin() + r * luma + 40,
                                       exact.begin() + r * luma)) << "luma row " << r;
            for (int plane = 0; plane < 2; ++plane)
                for (int r = 0; r < kRows / 2; ++r) {
                    const int from = luma * kRows + plane * chroma * kRows / 2 + r * chroma;
                    const int to = luma * kBufferRows + plane * chroma * kBufferRows / 2 + r * chroma;
                    ASSERT_TRUE(std::equal(tall.begin() + to, tall.begin() + to + 20, exact.begin() + from))
                        << "chroma plane " << plane << " row " << r;
                }
            continue;
        }
        for (int r = 0; r < kRows; ++r) {
            const int to = (c.bottomUp ? kBufferRows - kRows + r : r) * c.pitch;
            ASSERT_TRUE(std::equal(tall.begin() + to, tall.begin() + to + c.pitch, exact.begin() + r * c.pitch))
                << c.format << " row " << r;
        }
    }
}

TEST(Dispatch, FillBlackPerFormat) {
    struct Case {
        int format;
        std::vector<std::uint8_t> start, end;
    } const kCases[] = {{OUTPUT_YUY2, {0x00, 0x80, 0x00, 0x80}, {0x00, 0x80}},
                        {OUTPUT_UYVY, {0x80, 0x00, 0x80, 0x00}, {0x80, 0x00}},
                        {OUTPUT_YV12, {0x00, 0x00}, {0x80, 0x80}},
                        {OUTPUT_RGB32, {0, 0, 0, 0}, {0, 0}},
                        {OUTPUT_RGB555, {0, 0}, {0, 0}}};
    for (const Case& c : kCases) {
        std::vector<std::uint8_t> sample(96, 0xCD);
        FillBlack(sample.data(), 96, c.format);
        EXPECT_TRUE(std::equal(c.start.begin(), c.start.end(), sample.begin())) << c.format;
        EXPECT_TRUE(std::equal(c.end.begin(), c.end.end(), sample.end() - 2)) << c.format;
    }
    std::vector<std::uint8_t> yvyu(8, 0xCD);
    FillBlack(yvyu.data(), 8, OUTPUT_YVYU);
    EXPECT_EQ(yvyu, std::vector<std::uint8_t>(8, 0xCD));
}

TEST(Dispatch, TightRowPitch) {
    struct {
        int format, width, pitch;
    } const kCases[] = {{OUTPUT_YUY2, 720, 1440}, {OUTPUT_UYVY, 37, 76},   {OUTPUT_YV12, 720, 1080},
                        {OUTPUT_YV12, 37, 57},    {OUTPUT_RGB32, 37, 148}, {OUTPUT_RGB24, 37, 111},
                        {OUTPUT_RGB565, 37, 74},  {OUTPUT_RGB555, 2, 4},   {OUTPUT_YVYU, 10, 20}};
    for (const auto& c : kCases) EXPECT_EQ(tightRowPitch(c.format, c.width), c.pitch) << c.format;
    // A tight YV12 sample of an odd width still holds whole luma rows.
    EXPECT_GE(2 * tightRowPitch(OUTPUT_YV12, 37) / 3, 37);
}

// A 704-wide picture in a 720-wide YUY2 buffer: the 16 rightmost pixels of
// each row keep what the sample held.
TEST(Dispatch, RowsEndAtThePictureWidth) {
    Fixture f(704, 4, 1, OUTPUT_YUY2);
    const auto out = run(ConvertProgressive, f, 1440);
    for (int r = 0; r < 4; ++r)
        for (int i = 1408; i < 1440; ++i) ASSERT_EQ(out[r * 1440 + i], 0xCD) << "row " << r;
}

}  // namespace
}  // namespace tl::test
