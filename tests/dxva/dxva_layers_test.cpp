// The layer overlay blended by the accelerator in mode B: a band of rows
// changes and nothing else, and a picture for which no surface is free to
// blend into is shown as decoded.
#include <gtest/gtest.h>

#include "tests/dxva/dxva_decode.h"
#include "tests/support/corpus.h"

namespace tl::test {
namespace {

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
    struct Case {
        const char* name;
        int surfaces;
        bool (*blended)(char type);  // which pictures must show the band
    };
    const Case cases[] = {
        {"surfaces to spare: every picture", 8, [](char) { return true; }},
        // I P B B: showing a B picture, both references, the picture shown
        // before and the B picture itself hold all four surfaces.
        {"four surfaces: B pictures have none free", 4, [](char type) { return type != 'B'; }},
    };
    DxvaRun plain;
    plain.keepLuma = true;
    const DxvaDecode unblended = decodeThroughDxva(samples, plain);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DxvaRun run;
        run.accelerator.mode = 'B';
        run.accelerator.surfaces = c.surfaces;
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
            if (c.blended(types[i])) {
                EXPECT_TRUE(std::all_of(bandStart, bandEnd, [](std::uint8_t y) { return y == 234; }))
                    << "picture " << i;
            } else {
                EXPECT_EQ(got.digests[i], reference[i]) << "picture " << i;
            }
        }
    }
}

}  // namespace
}  // namespace tl::test
