#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include "convert/dispatch.h"
#include "convert/procamp.h"

namespace tl {
namespace {

TEST(ProcAmp, SetClampsStoresAndRebuildsTheBlock) {
    struct {
        std::int32_t property, value, stored;
    } const kCases[] = {
        {VideoProcAmp_Contrast, 500, 128},    {VideoProcAmp_Contrast, 128, 128},
        {VideoProcAmp_Brightness, -127, -127}, {VideoProcAmp_Brightness, -128, -128},
        {VideoProcAmp_Brightness, -200, -128}, {VideoProcAmp_Saturation, 40, 40},
    };
    for (const auto& c : kCases) {
        ProcAmpControl control;
        control.setOutputFormat(OUTPUT_RGB24);
        ASSERT_EQ(control.Set(c.property, c.value, 0x1234), hr::ok);
        std::int32_t value = 0, flags = 0;
        ASSERT_EQ(control.Get(c.property, &value, &flags), hr::ok);
        EXPECT_EQ(std::make_pair(value, flags), std::make_pair(c.stored, VideoProcAmp_Flags_Manual));
        RgbMatrixBlock block;
        control.copyMatrix(block);
        const RgbMatrixBlock expected = buildRgbMatrix(1, c.property == VideoProcAmp_Brightness ? c.stored : 0,
                                                       c.property == VideoProcAmp_Contrast ? c.stored : 0,
                                                       c.property == VideoProcAmp_Saturation ? c.stored : 0);
        EXPECT_EQ(0, std::memcmp(&block, &expected, 48)) << c.property << " " << c.value;
    }
}

// Non-RGB connections, and the stream's colour coefficients arriving after a
// Set, are the delivery tests' (the decoder object's ProcAmp on real connections).
TEST(ProcAmp, RangesNeutralStartAndHueAndUnknownPropertiesAreNotFound) {
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
}

// A converter copying the block while another thread keeps setting contrast
// only ever sees blocks that some contrast value builds.
TEST(ProcAmp, CopiesNeverSeeAHalfBuiltBlock) {
    ProcAmpControl control;
    control.setOutputFormat(OUTPUT_RGB32);
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
        bool known = false;
        for (const auto& v : valid) known = known || std::memcmp(&v, &block, 48) == 0;
        torn += known ? 0 : 1;
    }
    setter.join();
    EXPECT_EQ(torn, 0);
}

}  // namespace
}  // namespace tl
