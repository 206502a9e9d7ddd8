// What DisplayFrame shows: its samples' flags after a start and a seek, the
// field flags of the presentation mode and times that follow each other; and
// the layers the accelerator blends over the pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "engine/base/cpu_features.h"
#include "engine/dxva/ayuv_form.h"
#include "engine/framework/deinterlace.h"
#include "engine/framework/sample_flags.h"
#include "tests/dxva/dxva_decode.h"
#include "tests/support/corpus.h"

namespace tl::test {
namespace {

constexpr std::uint32_t kPlain = sample_flag::splice_point | sample_flag::time_valid | sample_flag::stop_valid;
constexpr std::uint32_t kDiscontinuity =
    sample_flag::data_discontinuity | sample_flag::time_valid | sample_flag::stop_valid;
constexpr std::uint32_t kTypeChange = kDiscontinuity | sample_flag::type_changed;

TEST(DxvaPresentation, SamplesCarryTimesAndFlags) {
    using Shown = std::vector<OutputSample::Properties>;
    // The stream, the Deinterlace setting, always deinterlacing, the sample after
    // which a seek comes (-1: none), and what the shown samples must carry.
    for (auto [name, stream, deinterlace, always, flushAfter, check] : {
        std::tuple{"the first picture brings the media type, the first after a seek a discontinuity", "prog420_cgop",
         DEINTERLACE_WEAVE, false, 20,
         +[](const Shown& shown) {
             ASSERT_GT(shown.size(), 2u);
             EXPECT_EQ(shown[0].flags, kTypeChange);
             int discontinuities = 0;
             for (std::size_t i = 1; i < shown.size(); ++i) {
                 if (shown[i].flags == kDiscontinuity) {
                     ++discontinuities;
                     ASSERT_LT(i + 1, shown.size());
                     EXPECT_EQ(shown[i + 1].flags, kPlain) << "only once";
                 } else {
                     EXPECT_EQ(shown[i].flags, kPlain) << "picture " << i;
                 }
             }
             EXPECT_EQ(discontinuities, 1);
         }},
        {"hardware bob, always deinterlacing: field order and repeated fields of 3:2 pulldown", "pulldown32",
         DEINTERLACE_HARDWARE_BOB, true, -1,
         [](const Shown& shown) {
             int repeated = 0;
             for (const auto& p : shown) {
                 EXPECT_EQ(p.typeSpecificFlags & video_flag::weave, 0u);
                 repeated += (p.typeSpecificFlags & video_flag::repeat_field) != 0;
             }
             EXPECT_EQ(repeated, 12);
         }},
        {"progressive: weave only, repeated fields lengthen the time instead", "pulldown32", DEINTERLACE_PROGRESSIVE,
         false, -1,
         [](const Shown& shown) {
             ASSERT_FALSE(shown.empty());
             for (std::size_t i = 0; i < shown.size(); ++i) {
                 EXPECT_EQ(shown[i].typeSpecificFlags, video_flag::weave);
                 if (i) {
                    EXPECT_EQ(shown[i].start, shown[i - 1].stop);
                }
             }
             EXPECT_GT(shown[0].stop, shown[0].start);
         }},
    }) {
        SCOPED_TRACE(name);
        const StreamInfo info = find_stream(stream);
        DxvaRun run;
        run.deinterlace = deinterlace;
        run.alwaysDeinterlace = always;
        run.flushAfter = flushAfter;
        // Cut into pieces, so the seek falls inside the stream.
        check(decodeThroughDxva(samplesOf(read_file_bytes(info.streamPath()), false), run).shown);
    }
}

// The layer overlay blended by the accelerator in mode B: a band of rows
// changes and nothing else, and a picture for which no surface is free to
// blend into is shown as decoded.
constexpr int kBandTop = 16, kBandBottom = 48;

// Opaque white over the whole width of rows [kBandTop, kBandBottom).
class WhiteBand final : public OverlayPainter {
public:
    void setViewport(const DamageRect&) override {}
    void render(std::uint8_t* dst, int pitch, const DamageRect& clip) override {
        for (int y = std::max(clip.top, kBandTop); y < std::min(clip.bottom, kBandBottom); ++y)
            std::fill_n(dst + (y - clip.top) * pitch, 4 * (clip.right - clip.left), 0xFF);
    }
};

TEST(DxvaLayers, BlendedInsideTheBandOnly) {
    const StreamInfo info = find_stream("prog420_cgop");
    const std::vector<Bytes> samples = samplesOf(read_file_bytes(info.streamPath()), false);
    const std::vector<std::string> reference = read_md5_lines(info.md5Path());
    WhiteBand band;
    DxvaRun plain;
    plain.keepLuma = true;
    const DxvaDecode unblended = decodeThroughDxva(samples, plain);
    // The accelerator's surfaces, and which pictures must show the band.
    for (auto [name, surfaces, blended] : {
             std::tuple{"surfaces to spare: every picture", 8, +[](char) { return true; }},
             // I P B B: showing a B picture, both references, the picture shown
             // before and the B picture itself hold all four surfaces.
             {"four surfaces: B pictures have none free", 4, [](char type) { return type != 'B'; }},
         }) {
        SCOPED_TRACE(name);
        DxvaRun run;
        run.accelerator.mode = 'B';
        run.accelerator.surfaces = surfaces;
        run.layers = &band;
        run.keepLuma = true;
        const DxvaDecode got = decodeThroughDxva(samples, run);
        ASSERT_EQ(got.lumas.size(), unblended.lumas.size());
        const std::string types = info.pictureTypes();
        for (std::size_t i = 0; i < got.lumas.size(); ++i) {
            const std::vector<std::uint8_t>& a = got.lumas[i];
            const std::vector<std::uint8_t>& b = unblended.lumas[i];
            const std::size_t row = std::size_t(info.width());
            const auto bandStart = a.begin() + std::ptrdiff_t(kBandTop * row);
            const auto bandEnd = a.begin() + std::ptrdiff_t(kBandBottom * row);
            EXPECT_TRUE(std::equal(a.begin(), bandStart, b.begin())) << "picture " << i;
            EXPECT_TRUE(std::equal(bandEnd, a.end(), b.begin() + std::ptrdiff_t(kBandBottom * row)))
                << "picture " << i;
            if (blended(types[i])) {
                EXPECT_TRUE(std::all_of(bandStart, bandEnd, [](std::uint8_t y) { return y == 234; }))
                    << "picture " << i;
            } else {
                EXPECT_EQ(got.digests[i], reference[i]) << "picture " << i;
            }
        }
    }
}

// The AYUV form the accelerator blends the layers in: worked pixels, and the
// SSE2 form equal to the plain one for every colour byte under every alpha,
// rows of any length.
TEST(AyuvForm, WorkedPixels) {
    using Pixel = std::vector<std::uint8_t>;
    // The premultiplied BGRA pixel and its AYUV form: Cr, Cb, Y, alpha.
    for (auto [name, bgra, ayuv] : {
             std::tuple{"opaque white", Pixel{255, 255, 255, 255}, Pixel{128, 128, 234, 255}},
             {"nothing", {0, 0, 0, 0}, {128, 128, 16, 0}},
             {"half-covering red, un-premultiplied to full red", {0, 0, 128, 128}, {240, 90, 81, 128}},
         }) {
        SCOPED_TRACE(name);
        Pixel out(4);
        dxva::ayuvRowPlain(bgra.data(), out.data(), 1);
        EXPECT_EQ(out, ayuv);
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
