// The compositor end to end in the decoder object: a flat box drawn as a layer
// over a decoded stream, checked byte by byte against the blend rule, and the
// overlay's bookkeeping when its layers stop drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "convert/overlay_rules.h"
#include "convert/reference_rules.h"
#include "engine/framework/overlay.h"
#include "engine/framework/video_decoder.h"
#include "tests/support/box_painter.h"
#include "tests/support/corpus.h"
#include "tests/support/decode_samples.h"
#include "tests/support/decoder_inputs.h"
#include "tests/support/recording_host.h"
#include "tests/support/stream_cuts.h"

namespace tl::test {
namespace {

constexpr DamageRect kBox{16, 8, 64, 40};
const std::uint32_t kColour = overlay_rules::premultiply(0x80FF2000);

std::vector<Delivery> decodeWith(OverlayPainter* painter, OutputSubtype subtype, int bytesPerPixel) {
    const StreamInfo stream = find_stream("prog420_cgop");
    TestSettings settings(2);
    settings.painter = painter;
    RecordingHost host;
    host.format = {subtype, true, stream.width(), stream.height()};
    host.rowPitch = stream.width() * bytesPerPixel;
    host.keepBytes = true;
    VideoDecoder decoder;
    EXPECT_EQ(decoder.Init(&settings, &host), hr::ok);
    EXPECT_TRUE(feedSamples(decoder, samplesOf(read_file_bytes(stream.streamPath()), false)));
    EXPECT_EQ(decoder.EndOfStream(), hr::ok);
    decoder.Uninit();
    return host.deliveries();
}

bool inside(int x, int y) { return x >= kBox.left && x < kBox.right && y >= kBox.top && y < kBox.bottom; }

TEST(OverlayCompositor, FlatLayerBlendsInsideItsBoxOnly) {
    std::uint8_t pixelPair[8], yuy2Form[8];
    for (int i = 0; i < 8; ++i) pixelPair[i] = std::uint8_t(kColour >> (8 * (i % 4)));
    overlay_rules::yuy2Pair(pixelPair, yuy2Form);
    // subtype, bytes per pixel, bottom-up rows (the host's renegotiated type has a positive height); the overlay
    // byte and its alpha for byte i % 4 of a pixel (YUY2: of a pair), the alpha null for the colour's own
    const std::tuple<OutputSubtype, int, bool, const std::uint8_t*, const std::uint8_t*> cases[] = {
        {OutputSubtype::YUY2, 2, false, yuy2Form, yuy2Form + 4},
        {OutputSubtype::RGB32, 4, true, pixelPair, nullptr},
    };
    for (const auto& [subtype, bytesPerPixel, bottomUp, values, alphas] : cases) {
        SCOPED_TRACE(bytesPerPixel == 2 ? "YUY2" : "RGB32");
        BoxPainter box(kBox, kColour);
        const std::vector<Delivery> plain = decodeWith(nullptr, subtype, bytesPerPixel);
        const std::vector<Delivery> layered = decodeWith(&box, subtype, bytesPerPixel);
        ASSERT_EQ(layered.size(), plain.size());
        ASSERT_FALSE(plain.empty());
        const int rows = find_stream("prog420_cgop").height();
        const int pitch = int(plain[0].bytes.size()) / rows;
        for (std::size_t n = 0; n < plain.size(); ++n) {
            const std::vector<std::uint8_t>& s = plain[n].bytes;
            const std::vector<std::uint8_t>& d = layered[n].bytes;
            ASSERT_EQ(d.size(), s.size());
            int mismatches = 0;
            for (std::size_t i = 0; i < s.size(); ++i) {
                const int x = int(i % std::size_t(pitch)) / bytesPerPixel, row = int(i / std::size_t(pitch));
                const int y = bottomUp ? rows - 1 - row : row;
                const std::size_t k = i % 4;
                const int alpha = alphas ? alphas[k] : int(kColour >> 24);
                const std::uint8_t expected = inside(x, y) ? reference::blend(s[i], values[k], alpha) : s[i];
                mismatches += d[i] != expected;
            }
            EXPECT_EQ(mismatches, 0) << "picture " << n;
        }
    }
}

TEST(OverlayCompositor, HiddenLayersEmptyTheMaskButLeaveTheOverlayActive) {
    Overlay overlay;
    ASSERT_TRUE(overlay.rebuild(96, 48));
    BoxPainter box(kBox, kColour);
    const auto rows = [&] { return std::make_tuple(overlay.active(), overlay.firstRow(), overlay.lastRow()); };
    overlay.compose(&box, false);
    EXPECT_EQ(rows(), std::make_tuple(true, kBox.top, kBox.bottom - 1));
    box.visible = false;
    overlay.queueDamage(&kBox, 1);
    overlay.compose(&box, true);
    EXPECT_EQ(rows(), std::make_tuple(true, 48, 0));
    EXPECT_TRUE(std::all_of(overlay.rowMask(), overlay.rowMask() + 48, [](std::uint8_t m) { return m == 0; }));
}

}  // namespace
}  // namespace tl::test
