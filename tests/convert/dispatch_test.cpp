// The dispatchers: which kernel a picture and context select, and what they
// leave alone; and rows stretched across a wider YUY2 surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <tuple>
#include <utility>

#include "convert/procamp.h"
#include "convert/yuy2_widen.h"
#include "convert_test_support.h"
#include "engine/base/cpu_features.h"

namespace tl::test {
namespace {

constexpr std::uint32_t kMmxSseSse2 = cpu_bit::mmx | cpu_bit::sse | cpu_bit::sse2;

TEST(Dispatch, TierFromFeaturesAndAlignment) {
    alignas(16) static std::uint8_t buffer[64];
    // Processor features, the destination's offset, its row pitch, the format, the tier.
    for (auto [features, offset, rowPitch, format, level] : {
        std::tuple{kMmxSseSse2, 0, 1440, OUTPUT_YUY2, KernelTier::Sse2},
        {kMmxSseSse2 & ~cpu_bit::sse2, 0, 1440, OUTPUT_YUY2, KernelTier::Sse},  // SSE2 switched off
        {kMmxSseSse2, 8, 1440, OUTPUT_YUY2, KernelTier::Sse},                   // destination off by 8
        {kMmxSseSse2, 0, 1448, OUTPUT_YUY2, KernelTier::Sse},                   // rows off by 8
        {cpu_bit::mmx, 0, 1440, OUTPUT_YUY2, KernelTier::Mmx},
        {0, 0, 1440, OUTPUT_YUY2, KernelTier::Mmx},                              // no kernel below MMX
        {kMmxSseSse2, 0, 1080, OUTPUT_YV12, KernelTier::Sse2},                   // chroma rows 360 apart
        {kMmxSseSse2, 0, 1068, OUTPUT_YV12, KernelTier::Sse},                    // luma rows 712 apart
        {kMmxSseSse2, 0, 1056, OUTPUT_YV12, KernelTier::Sse2},                   // 704 luma, 352 chroma
        {kMmxSseSse2 | cpu_bit::sse3 | cpu_bit::avx2, 0, 1440, OUTPUT_RGB32, KernelTier::Avx2},
        {kMmxSseSse2 | cpu_bit::avx2, 0, 1440, OUTPUT_RGB32, KernelTier::Sse2},  // SSE3 switched off
        {kMmxSseSse2 | cpu_bit::sse3 | cpu_bit::avx2, 8, 1440, OUTPUT_RGB32, KernelTier::Sse},
    })
        EXPECT_EQ(chooseKernelTier(features, buffer + offset, rowPitch, format), level)
                << features << " +" << offset << " pitch " << rowPitch;
}

struct Fixture {
    Fixture(int width, int height, int chromaFormat, int format)
        : rng(5), pic(width, height, chromaFormat), overlay((pic.fillRandom(rng), pic.picture()), rng),
          matrix(buildRgbMatrix(1, 0, 0, 0)),
          // No colour correction, the overlay inactive.
          context{format, chromaFormat, 0, 0, overlay.surface.data(), overlay.mask.data(), &matrix, kMmxSseSse2} {}
    std::mt19937 rng;
    TestPicture pic;
    TestOverlay overlay;
    RgbMatrixBlock matrix;
    ConversionContext context;
};

using Converter = void (*)(const Picture&, const ConversionContext&, std::uint8_t*, int);

std::vector<std::uint8_t> run(Converter convert, Fixture& f, int rowPitch, int offset = 0) {
    TestBuffer buffer(rowPitch, f.pic.picture().height, offset);
    convert(f.pic.picture(), f.context, buffer.data(), rowPitch);
    return buffer.region();
}

std::vector<std::uint8_t> runKernel(const KernelKey& key, Fixture& f, int rowPitch, int offset = 0) {
    TestBuffer buffer(rowPitch, f.pic.picture().height, offset);
    findKernel(key, KernelTier::Plain)(kernelArgs(f.pic.picture(), buffer.data(), rowPitch, &f.overlay, &f.matrix));
    return buffer.region();
}

template <int topField>
void fieldBob(const Picture& p, const ConversionContext& c, std::uint8_t* d, int pitch) {
    ConvertFieldBob(p, c, d, pitch, topField);
}

// Exactly one kernel's output, or nothing at all.
TEST(Dispatch, PicksTheKernelOfThePictureAndContext) {
    constexpr auto none = [](Fixture&) {};
    struct Case {
        const char* name;
        int chromaFormat, format;
        Converter convert;
        void (*tweak)(Fixture&);
        std::optional<KernelKey> kernel;  // none: nothing written
        int width = 64, height = 16, rowPitch = 256, offset = 0;
    };
    const Case cases[] = {
        {"YVYU", 1, OUTPUT_YVYU, ConvertProgressive, none, {}},
        {"format code 9", 1, 9, ConvertProgressive, none, {}},
        {"format code -1", 1, -1, ConvertProgressive, none, {}},
        {"RGB without a matrix", 1, OUTPUT_RGB32, ConvertProgressive, [](Fixture& f) { f.context.rgbMatrix = nullptr; },
         {}},
        {"chroma format 0", 0, OUTPUT_YUY2, ConvertProgressive, none, {}},
        {"chroma rows narrower than the picture", 1, OUTPUT_YUY2, ConvertProgressive,
         [](Fixture& f) { f.pic.picture().chromaStride = 16; }, {}},
        {"row pitch 0", 1, OUTPUT_YUY2, ConvertProgressive, none, {}, 64, 16, 0},
        {"negative row pitch", 1, OUTPUT_YUY2, ConvertProgressive, none, {}, 64, 16, -128},
        {"YUY2 with overlay and correction both corrects and blends", 1, OUTPUT_YUY2, ConvertProgressive,
         [](Fixture& f) { f.context.overlayActive = f.context.colorCorrection = 1; },
         KernelKey{OUTPUT_YUY2, VerticalClass::Progressive, ChromaLayout::C420, true, true}},
        {"UYVY never shows the overlay", 1, OUTPUT_UYVY, ConvertWeave, [](Fixture& f) { f.context.overlayActive = 1; },
         KernelKey{OUTPUT_UYVY, VerticalClass::Weave}},
        {"RGB ignores colour correction", 2, OUTPUT_RGB24, ConvertProgressive,
         [](Fixture& f) { f.context.colorCorrection = 1; },
         KernelKey{OUTPUT_RGB24, VerticalClass::Progressive, ChromaLayout::C422}},
        {"weave 4:2:0", 1, OUTPUT_RGB32, ConvertWeave, none, KernelKey{OUTPUT_RGB32, VerticalClass::Weave}},
        // Progressive and weave differ for 4:2:0 only.
        {"weave 4:2:2", 2, OUTPUT_RGB32, ConvertWeave, none,
         KernelKey{OUTPUT_RGB32, VerticalClass::Progressive, ChromaLayout::C422}},
        {"weave 4:4:4", 3, OUTPUT_RGB32, ConvertWeave, none,
         KernelKey{OUTPUT_RGB32, VerticalClass::Progressive, ChromaLayout::C444}},
        {"bob", 1, OUTPUT_RGB565, ConvertSoftwareBob, none, KernelKey{OUTPUT_RGB565, VerticalClass::Bob}, 48, 20, 96,
         4},
        {"top field", 1, OUTPUT_RGB565, fieldBob<1>, none, KernelKey{OUTPUT_RGB565, VerticalClass::FieldTop}, 48, 20, 96,
         4},
        {"bottom field", 1, OUTPUT_RGB565, fieldBob<0>, none, KernelKey{OUTPUT_RGB565, VerticalClass::FieldBottom}, 48,
         20, 96, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f(c.width, c.height, c.chromaFormat, c.format);
        c.tweak(f);
        TestBuffer buffer(c.rowPitch > 0 ? c.rowPitch : 256, c.height, c.offset);
        c.convert(f.pic.picture(), f.context, buffer.data(), c.rowPitch);
        if (c.kernel) {
            EXPECT_EQ(buffer.region(), runKernel(*c.kernel, f, c.rowPitch, c.offset));
        } else {
            EXPECT_EQ(buffer.region(), std::vector<std::uint8_t>(buffer.region().size(), 0xCD));
        }
    }
}

// At every tier and vertical class; other formats ignore the request.
TEST(Dispatch, BottomUpRgbReversesTheRows) {
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
    const std::tuple<int, int, bool> cases[] = {{OUTPUT_YUY2, 96, false}, {OUTPUT_YV12, 96, false},
                                                {OUTPUT_RGB32, 192, false}, {OUTPUT_RGB24, 144, true},
                                                {OUTPUT_RGB565, 96, true}};  // format, row pitch, bottom-up
    constexpr int kRows = 12, kBufferRows = 20;
    for (const auto& [format, rowPitch, bottomUp] : cases) {
        Fixture f(40, kRows, 1, format);
        f.context.rgbBottomUp = bottomUp;
        const auto exact = run(ConvertProgressive, f, rowPitch);
        f.context.bufferRows = kBufferRows;
        TestBuffer buffer(rowPitch, kBufferRows, 0);
        ConvertProgressive(f.pic.picture(), f.context, buffer.data(), rowPitch);
        const std::vector<std::uint8_t> tall = buffer.region();
        ASSERT_TRUE(buffer.guardIntact()) << format;
        if (format == OUTPUT_YV12) {
            // Luma rows 64 bytes apart, then each chroma plane's 32 apart, every
            // plane's rows at its start.
            for (int plane = 0, from = 0, to = 0; plane < 3; ++plane) {
                const int pitch = plane ? 32 : 64, width = plane ? 20 : 40, rows = plane ? kRows / 2 : kRows;
                for (int r = 0; r < rows; ++r)
                    ASSERT_TRUE(std::equal(tall.begin() + to + r * pitch, tall.begin() + to + r * pitch + width,
                                           exact.begin() + from + r * pitch)) << "plane " << plane << " row " << r;
                from += pitch * rows;
                to += pitch * rows * kBufferRows / kRows;
            }
            continue;
        }
        for (int r = 0; r < kRows; ++r) {
            const int to = (bottomUp ? kBufferRows - kRows + r : r) * rowPitch;
            ASSERT_TRUE(std::equal(tall.begin() + to, tall.begin() + to + rowPitch, exact.begin() + r * rowPitch))
                << format << " row " << r;
        }
    }
}

TEST(Dispatch, FillBlackPerFormat) {
    // The format, its first bytes and its last two.
    const std::tuple<int, std::vector<std::uint8_t>, std::vector<std::uint8_t>> cases[] = {
        {OUTPUT_YUY2, {0x00, 0x80, 0x00, 0x80}, {0x00, 0x80}},
        {OUTPUT_UYVY, {0x80, 0x00, 0x80, 0x00}, {0x80, 0x00}},
        {OUTPUT_YV12, {0x00, 0x00}, {0x80, 0x80}},
        {OUTPUT_RGB32, {0, 0, 0, 0}, {0, 0}},
        {OUTPUT_RGB555, {0, 0}, {0, 0}}};
    for (const auto& [format, start, end] : cases) {
        std::vector<std::uint8_t> sample(96, 0xCD);
        FillBlack(sample.data(), 96, format);
        EXPECT_TRUE(std::equal(start.begin(), start.end(), sample.begin())) << format;
        EXPECT_TRUE(std::equal(end.begin(), end.end(), sample.end() - 2)) << format;
    }
    std::vector<std::uint8_t> yvyu(8, 0xCD);
    FillBlack(yvyu.data(), 8, OUTPUT_YVYU);
    EXPECT_EQ(yvyu, std::vector<std::uint8_t>(8, 0xCD));
}

TEST(Dispatch, TightRowPitch) {
    for (auto [format, width, pitch] :
         {std::tuple{OUTPUT_YUY2, 720, 1440}, {OUTPUT_UYVY, 37, 76}, {OUTPUT_YV12, 720, 1080}, {OUTPUT_YV12, 37, 57},
          {OUTPUT_RGB32, 37, 148}, {OUTPUT_RGB24, 37, 111}, {OUTPUT_RGB565, 37, 74}, {OUTPUT_RGB555, 2, 4},
          {OUTPUT_YVYU, 10, 20}})
        EXPECT_EQ(tightRowPitch(format, width), pitch) << format;
}

// A 640-wide picture in a 720-wide YUY2 buffer: luma x = x % 256, Cb of pair
// p = p % 256, Cr = 255 - Cb.
std::vector<std::uint8_t> rampRows(int pitch, int rows, int width) {
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(pitch) * rows, 0x11);
    for (int r = 0; r < rows; ++r)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* px = &buffer[static_cast<std::size_t>(r) * pitch + 2 * x];
            px[0] = static_cast<std::uint8_t>(x % 256);
            px[1] = static_cast<std::uint8_t>(x % 2 ? 255 - (x / 2) % 256 : (x / 2) % 256);
        }
    return buffer;
}

TEST(WidenYuy2Rows, ThresholdIs65Pixels) {
    for (auto [width, widened] : {std::pair{640, true}, {655, true}, {656, false}, {704, false}})
        EXPECT_EQ(needsYuy2Widening(width, 720), widened) << width;
}

TEST(WidenYuy2Rows, NearestSamplesFromTheRightNeverPastTheBuffer) {
    const int pitch = 1440;
    auto buffer = rampRows(pitch, 3, 640);
    WidenYuy2Rows(buffer.data(), static_cast<std::int64_t>(buffer.size()), pitch, 640, 2, 720, 3);
    // step = 640 * 65536 / 720 = 58254; source of x = (640 * 65536 + 32768 - (720 - x) * step) >> 16.
    for (int r = 0; r < 2; ++r)
        for (auto [x, source] : {std::pair{719, 639}, {718, 638}, {360, 320}, {4, 4}, {1, 1}, {0, 0}})
            EXPECT_EQ(buffer[r * pitch + 2 * x], source % 256) << "x " << x;
    // Pairs: source of p = (320 * 65536 + 32768 - (360 - p) * step) >> 16.
    for (auto [pair, source] : {std::pair{359, 319}, {180, 160}, {0, 0}})
        EXPECT_EQ(std::make_pair(buffer[4 * pair + 1], buffer[4 * pair + 3]),
                  std::make_pair(std::uint8_t(source % 256), std::uint8_t(255 - source % 256)))
            << "pair " << pair;
    // Rows from the picture height on are black.
    for (int i = 0; i < 1440; ++i) ASSERT_EQ(buffer[2 * pitch + i], i % 2 ? 0x80 : 0x00) << i;

    std::vector<std::uint8_t> past(static_cast<std::size_t>(pitch) * 3 + 16, 0x11);
    // Claims 5 output rows but the buffer holds 3: rows 3 and 4 are skipped.
    WidenYuy2Rows(past.data(), pitch * 3, pitch, 640, 2, 720, 5);
    for (std::size_t i = static_cast<std::size_t>(pitch) * 3; i < past.size(); ++i) ASSERT_EQ(past[i], 0x11);
    // An output wider than the pitch is left alone.
    std::vector<std::uint8_t> narrow(1000, 0x11);
    WidenYuy2Rows(narrow.data(), 1000, 1000, 400, 1, 720, 1);
    for (auto b : narrow) ASSERT_EQ(b, 0x11);
}

}  // namespace
}  // namespace tl::test
