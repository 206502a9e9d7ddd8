// The overlay's pixel rules on their worked numbers, and every tier of the
// overlay routines against the plain one on random premultiplied pixels.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "convert/overlay_blitters.h"
#include "convert/overlay_rules.h"
#include "engine/base/cpu_features.h"
#include "tests/macroblock/kernel_tiers_for_test.h"

namespace tl::test {
namespace {

std::vector<int> bytesOf(std::uint32_t pixel) {
    return {int(pixel & 0xFF), int(pixel >> 8 & 0xFF), int(pixel >> 16 & 0xFF), int(pixel >> 24)};
}

std::vector<int> formOf(std::initializer_list<std::uint8_t> pair) {
    std::uint8_t out[8];
    overlay_rules::yuy2Pair(std::data(pair), out);
    return {out, out + 8};
}

TEST(OverlayRules, WorkedExamples) {
    using overlay_rules::coverageOver;
    using overlay_rules::premultiply;
    const std::tuple<const char*, std::vector<int>, std::vector<int>> cases[] = {  // what, actual, expected
        {"BackColor 0x80FF0000 premultiplied", bytesOf(premultiply(0x80FF0000)), {0, 0, 127, 128}},
        {"transparent premultiplies to nothing", bytesOf(premultiply(0x00FFFFFF)), {0, 0, 0, 0}},
        {"coverage 128 of opaque white over nothing", bytesOf(coverageOver(0, 0xFFFFFFFF, 128)), {127, 127, 127, 128}},
        {"coverage 0 keeps the background", bytesOf(coverageOver(0x80007F00, 0xFFFFFFFF, 0)), {0, 127, 0, 128}},
        {"full coverage: the premultiplied foreground", bytesOf(coverageOver(0x80007F00, 0x80FF0000, 255)),
         {0, 0, 127, 128}},
        {"coverage 64 of half red over half green", bytesOf(coverageOver(0x80007F00, 0x80FF0000, 64)),
         {0, 111, 31, 144}},
        {"opaque white pair in the YUY2 form", formOf({255, 255, 255, 255, 255, 255, 255, 255}),
         {255, 127, 255, 127, 255, 255, 255, 255}},
        {"opaque blue beside transparent in the YUY2 form", formOf({255, 0, 0, 255, 0, 0, 0, 0}),
         {29, 127, 0, 53, 255, 128, 0, 128}},
    };
    for (const auto& [what, actual, expected] : cases) EXPECT_EQ(actual, expected) << what;
}

// Premultiplied pixels: alphas often 0 or 255, colours up to their alpha,
// and whole runs of transparent pixels so the skipping paths run.
std::vector<std::uint8_t> randomPixels(std::mt19937& rng, std::size_t count) {
    std::vector<std::uint8_t> bytes(count * 4);
    std::uniform_int_distribution<int> byte(0, 255), pick(0, 7);
    for (std::size_t i = 0; i < count; ++i) {
        const int kind = pick(rng);
        const int a = kind < 2 ? 0 : kind < 4 ? 255 : byte(rng);
        for (int c = 0; c < 3; ++c) bytes[4 * i + c] = std::uint8_t(a == 0 ? 0 : byte(rng) % (a + 1));
        bytes[4 * i + 3] = std::uint8_t(a);
    }
    return bytes;
}

TEST(OverlayBlitters, EveryTierMatchesPlain) {
    struct Size {
        int width, height;
    };
    constexpr Size kSizes[] = {{720, 3}, {33, 5}, {7, 4}, {2, 1}, {1, 2}};
    constexpr int kDstOffset = 4;  // pixels, so the rows start off 16-byte boundaries
    std::mt19937 rng(12);
    const OverlayRoutines& plain = overlayRoutinesOf(KernelTier::Plain);
    for (KernelTier tier : runnableTiers()) {
        const OverlayRoutines& r = overlayRoutinesOf(tier);
        for (Size s : kSizes) {
            SCOPED_TRACE(tierName(tier) + " size " + std::to_string(s.width) + "x" + std::to_string(s.height));
            const int pitchPixels = s.width + 2 * kDstOffset;
            const int pitch = 4 * pitchPixels;
            const std::size_t pixels = std::size_t(pitchPixels) * std::size_t(s.height);
            const std::vector<std::uint8_t> dst = randomPixels(rng, pixels);
            const std::vector<std::uint8_t> src = randomPixels(rng, pixels);
            const auto expectSame = [&](const char* what,
                                        const std::function<void(const OverlayRoutines&, std::uint8_t*)>& f) {
                std::vector<std::uint8_t> a = dst, b = dst;
                f(plain, a.data() + 4 * kDstOffset);
                f(r, b.data() + 4 * kDstOffset);
                EXPECT_EQ(b, a) << what;
            };
            expectSame("blendOver", [&](const OverlayRoutines& k, std::uint8_t* d) {
                k.blendOver(d, pitch, src.data() + 12, pitch, s.width, s.height);
            });
            for (std::uint32_t colour : {0x00000000u, 0xFFFFFFFFu, 0xFF000000u, 0x80007F00u, 0x01010101u}) {
                SCOPED_TRACE(colour);
                expectSame("fillOver", [&](const OverlayRoutines& k, std::uint8_t* d) {
                    k.fillOver(d, pitch, colour, s.width, s.height);
                });
            }
            expectSame("clear",
                       [&](const OverlayRoutines& k, std::uint8_t* d) { k.clear(d, pitch, s.width, s.height); });
            expectSame("toYuy2Form",
                       [&](const OverlayRoutines& k, std::uint8_t* d) { k.toYuy2Form(d, pitch, s.width, s.height); });
        }
    }
}

}  // namespace
}  // namespace tl::test
