#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "convert/yuy2_widen.h"

namespace tl {
namespace {

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

TEST(WidenYuy2Rows, NearestSamplesFromTheRight) {
    const int pitch = 1440;
    auto buffer = rampRows(pitch, 3, 640);
    WidenYuy2Rows(buffer.data(), static_cast<std::int64_t>(buffer.size()), pitch, 640, 2, 720, 3);
    // step = 640 * 65536 / 720 = 58254; source of x = (640 * 65536 + 32768 - (720 - x) * step) >> 16.
    struct {
        int x, source;
    } const kLuma[] = {{719, 639}, {718, 638}, {360, 320}, {4, 4}, {1, 1}, {0, 0}};
    for (int r = 0; r < 2; ++r)
        for (const auto& c : kLuma) EXPECT_EQ(buffer[r * pitch + 2 * c.x], c.source % 256) << "x " << c.x;
    // Pairs: source of p = (320 * 65536 + 32768 - (360 - p) * step) >> 16.
    struct {
        int pair, source;
    } const kChroma[] = {{359, 319}, {180, 160}, {0, 0}};
    for (const auto& c : kChroma) {
        EXPECT_EQ(buffer[4 * c.pair + 1], c.source % 256) << "pair " << c.pair;
        EXPECT_EQ(buffer[4 * c.pair + 3], 255 - c.source % 256) << "pair " << c.pair;
    }
    // Rows from the picture height on are black.
    for (int i = 0; i < 1440; ++i) ASSERT_EQ(buffer[2 * pitch + i], i % 2 ? 0x80 : 0x00) << i;
}

TEST(WidenYuy2Rows, NeverWritesPastTheBuffer) {
    const int pitch = 1440;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(pitch) * 3 + 16, 0x11);
    // Claims 5 output rows but the buffer holds 3: rows 3 and 4 are skipped.
    WidenYuy2Rows(buffer.data(), pitch * 3, pitch, 640, 2, 720, 5);
    for (std::size_t i = static_cast<std::size_t>(pitch) * 3; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0x11);
    // An output wider than the pitch is left alone.
    std::vector<std::uint8_t> narrow(1000, 0x11);
    WidenYuy2Rows(narrow.data(), 1000, 1000, 400, 1, 720, 1);
    for (auto b : narrow) ASSERT_EQ(b, 0x11);
}

}  // namespace
}  // namespace tl
