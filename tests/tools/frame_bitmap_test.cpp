// The BMP both tools write for a delivered picture, from every output format.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "convert/dispatch.h"
#include "tools/common/frame_bitmap.h"
#include "tools/common/output_format_names.h"

namespace tl::tools {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t le32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}

TEST(FrameBitmap, EachFormatGivesBottomUpBgrRows) {
    struct Case {
        const char* what;
        int format, width, height, pitch;
        bool bottomUp;
        Bytes sample;
        Bytes pixels;  // the BMP's pixel array: bottom row first, rows padded to four bytes
    };
    const Case cases[] = {
        // RGB32 keeps B, G, R and drops the fourth byte; a bottom-up sample keeps its row order.
        {"rgb32 bottom-up", OUTPUT_RGB32, 1, 2, 4, true, {1, 2, 3, 9, 4, 5, 6, 9}, {1, 2, 3, 0, 4, 5, 6, 0}},
        {"rgb32 top-down", OUTPUT_RGB32, 1, 2, 4, false, {1, 2, 3, 9, 4, 5, 6, 9}, {4, 5, 6, 0, 1, 2, 3, 0}},
        // A padded sample pitch is dropped; five bytes of BMP row padding are zero.
        {"rgb24 pitch 8", OUTPUT_RGB24, 2, 1, 8, false, {1, 2, 3, 4, 5, 6, 0xEE, 0xEE}, {1, 2, 3, 4, 5, 6, 0, 0}},
        // 16-bit colours widened by repeating their top bits: full red, full green.
        {"rgb565", OUTPUT_RGB565, 2, 1, 4, true, {0x00, 0xF8, 0xE0, 0x07}, {0, 0, 255, 0, 255, 0, 0, 0}},
        {"rgb555", OUTPUT_RGB555, 2, 1, 4, true, {0x1F, 0x00, 0x10, 0x42}, {255, 0, 0, 132, 132, 132, 0, 0}},
        // YUV: studio-range white over black.
        {"yuy2", OUTPUT_YUY2, 2, 2, 4, false, {235, 128, 235, 128, 16, 128, 16, 128},
         {0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255, 0, 0}},
        {"uyvy", OUTPUT_UYVY, 2, 1, 4, false, {128, 235, 128, 16}, {255, 255, 255, 0, 0, 0, 0, 0}},
        // YUY2 and YVYU differ in where Cb and Cr sit: pure red both ways.
        {"yuy2 red", OUTPUT_YUY2, 2, 1, 4, false, {81, 90, 81, 240}, {0, 0, 255, 0, 0, 255, 0, 0}},
        {"yvyu red", OUTPUT_YVYU, 2, 1, 4, false, {81, 240, 81, 90}, {0, 0, 255, 0, 0, 255, 0, 0}},
        // YV12: the Cr plane comes before Cb; one chroma sample covers two rows.
        {"yv12", OUTPUT_YV12, 2, 2, 2, false, {145, 145, 145, 145, 34, 54},
         {0, 255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FrameView view{c.format, c.sample.data(), c.width, c.height, c.pitch, c.bottomUp};
        ASSERT_EQ(FrameBytes(view), c.sample.size());
        const Bytes bmp = FrameToBmp(view);
        ASSERT_EQ(bmp.size(), 54 + c.pixels.size());
        // The file size, pixel offset, size (a positive height: bottom row first),
        // one plane of 24 bits, and the pixel array's size.
        EXPECT_EQ(std::vector<std::uint32_t>({bmp[0], bmp[1], le32(bmp, 2), le32(bmp, 10), le32(bmp, 18), le32(bmp, 22),
                                              le32(bmp, 26), le32(bmp, 34)}),
                  std::vector<std::uint32_t>({'B', 'M', std::uint32_t(bmp.size()), 54, std::uint32_t(c.width),
                                              std::uint32_t(c.height), 1 | 24 << 16, std::uint32_t(c.pixels.size())}));
        for (std::size_t i = 0; i < c.pixels.size(); ++i) EXPECT_NEAR(bmp[54 + i], c.pixels[i], 1) << "byte " << i;
    }
}

TEST(FrameBitmap, UnusableViewsGiveNoFile) {
    const Bytes some(64, 0x80);
    const FrameView cases[] = {
        {OUTPUT_PLANAR, some.data(), 2, 2, 2, false},  // the engine's planar layout
        {OUTPUT_RGB24, some.data(), 0, 2, 6, false},   // no width
        {OUTPUT_RGB32, some.data(), 4, 1, 15, false},  // pitch below a row
        {OUTPUT_YUY2, some.data(), 3, 1, 6, false},    // odd YUY2 pitch
        {OUTPUT_YV12, some.data(), 2, 2, 2, true},     // YV12 upside down
    };
    for (const FrameView& view : cases) {
        EXPECT_EQ(FrameBytes(view), 0u) << view.format;
        EXPECT_TRUE(FrameToBmp(view).empty()) << view.format;
    }
}

TEST(OutputFormatNames, EitherSpellingAnyCase) {
    const struct {
        const char* text;
        int code;
    } cases[] = {{"yuy2", OUTPUT_YUY2}, {"YVYU", OUTPUT_YVYU}, {"Rgb565", OUTPUT_RGB565}, {"rgb55", -1},
                 {"rgb5555", -1},       {"", -1},               {"planar", -1}};
    for (const auto& c : cases) EXPECT_EQ(OutputFormatCodeOf(c.text), c.code) << c.text;
}

}  // namespace
}  // namespace tl::tools
