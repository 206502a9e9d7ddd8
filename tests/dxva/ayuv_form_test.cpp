// The AYUV form of the layer overlay: worked pixels, and the SSE2 form equal
// to the plain one for every colour byte under every alpha, rows of any length.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/dxva/ayuv_form.h"
#include "engine/base/cpu_features.h"

namespace tl::test {
namespace {

TEST(AyuvForm, WorkedPixels) {
    struct Case {
        const char* name;
        std::uint8_t bgra[4];
        std::uint8_t ayuv[4];  // Cr, Cb, Y, alpha
    };
    const Case cases[] = {
        {"opaque white", {255, 255, 255, 255}, {128, 128, 234, 255}},
        {"nothing", {0, 0, 0, 0}, {128, 128, 16, 0}},
        {"half-covering red, un-premultiplied to full red", {0, 0, 128, 128}, {240, 90, 81, 128}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint8_t out[4];
        dxva::ayuvRowPlain(c.bgra, out, 1);
        EXPECT_EQ(std::vector<std::uint8_t>(out, out + 4), std::vector<std::uint8_t>(c.ayuv, c.ayuv + 4));
    }
}

TEST(AyuvForm, Sse2EqualsPlain) {
    if (!(cpuFeatureWord() & cpu_bit::sse2)) GTEST_SKIP() << "this processor has no SSE2";
    // Every blue byte under every alpha (colour above alpha included), the
    // other colours varied with them; three pixels more for the row's tail.
    constexpr int kPixels = 65536 + 3;
    std::vector<std::uint8_t> overlay(4 * kPixels);
    for (int i = 0; i < kPixels; ++i) {
        overlay[4 * i] = std::uint8_t(i);
        overlay[4 * i + 1] = std::uint8_t(i * 7);
        overlay[4 * i + 2] = std::uint8_t(i * 13 + 5);
        overlay[4 * i + 3] = std::uint8_t(i >> 8);
    }
    std::vector<std::uint8_t> plain(4 * kPixels), sse2(4 * kPixels);
    dxva::ayuvRowPlain(overlay.data(), plain.data(), kPixels);
    dxva::ayuvRowSse2(overlay.data(), sse2.data(), kPixels);
    const auto differ = std::mismatch(plain.begin(), plain.end(), sse2.begin());
    EXPECT_TRUE(differ.first == plain.end()) << "first difference in pixel " << (differ.first - plain.begin()) / 4;
}

}  // namespace
}  // namespace tl::test
