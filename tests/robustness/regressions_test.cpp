// Damage that once left the decoder in a state it could not handle.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "engine/framework/headers.h"
#include "engine/framework/video_decoder.h"
#include "tests/framework/stream_writer.h"
#include "tests/support/corpus.h"
#include "tests/support/decode_samples.h"
#include "tests/support/decoder_inputs.h"
#include "tests/support/recording_host.h"
#include "tests/support/stream_cuts.h"

namespace tl::test {
namespace {

// A run that ends inside the intra matrix of a sequence header announcing a
// larger picture must not leave that size behind without its coded sizes: the
// next run would take pictures of the new size from buffers of the old one,
// and a renderer that kept the larger connection would be handed rows read
// past the end of the picture planes.
TEST(Regressions, SequenceHeaderCutInsideItsMatrixKeepsTheOldSize) {
    const StreamInfo info = find_stream("prog420_cgop");
    const Bytes stream = read_file_bytes(info.streamPath());
    const std::vector<std::size_t> sequences = offsetsOf(stream, 0xB3);
    const std::vector<std::size_t> groups = offsetsOf(stream, 0xB8);
    ASSERT_GE(sequences.size(), 3u);
    ASSERT_GE(groups.size(), 3u);

    BitWriter w;
    SequenceFields larger{720, 576};
    const std::vector<std::uint8_t> matrix(64, 16);
    larger.intraMatrix = matrix.data();
    writeSequenceHeader(w, larger);
    const Bytes cutHeader = cut(w.data(), 0, 12 + 10);  // start code, fields, ten matrix bytes

    ReferenceCounter counter;
    TestSettings settings(2);
    RecordingHost host;
    host.format.width = 720;
    host.format.height = 576;
    host.refuseFormatChange = true;
    {
        VideoDecoder decoder;
        ASSERT_EQ(decoder.Init(&settings, &host), hr::ok);
        ASSERT_TRUE(feedSamples(decoder, cutIntoChunks(cut(stream, 0, sequences[1]), 4096), &counter));
        ASSERT_TRUE(feedSamples(decoder, cutIntoChunks(cutHeader, 4096), &counter));
        // The run ends inside the matrix. (Waiting for it matters: a later
        // EndOfStream could otherwise return at the end of this run.)
        ASSERT_EQ(decoder.EndOfStream(), hr::ok);
        // The second group of pictures without its sequence header.
        ASSERT_TRUE(feedSamples(decoder, cutIntoChunks(cut(stream, groups[1], sequences[2]), 4096), &counter));
        ASSERT_EQ(decoder.EndOfStream(), hr::ok);
        const tl::StreamInfo after = decoder.streamInfo();
        EXPECT_EQ(std::make_tuple(after.sizeX, after.sizeY, after.codedSizeX), std::make_tuple(352, 288, 352));
        decoder.Uninit();
    }
    EXPECT_EQ(std::make_tuple(host.deliveries().size(), counter.live.load(), host.liveSamples()),
              std::make_tuple(offsetsOf(cut(stream, 0, sequences[2]), 0x00).size(), 0, 0));
}

// A display size far from the coded size used to make the corrected aspect
// ratio overflow its 32-bit height (undefined; INT_MIN in practice) or round
// to zero: either way a ratio no media type can carry.
TEST(Regressions, ExtremeDisplaySizesKeepTheAspectRatioPositive) {
    struct Case {
        std::int32_t width, height, displayWidth, displayHeight;
    };
    const Case cases[] = {{1, 4095, 16383, 1}, {4095, 1, 1, 16383}, {352, 288, 16383, 1}, {352, 288, 1, 16383}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " shown as " +
                     std::to_string(c.displayWidth) + "x" + std::to_string(c.displayHeight));
        StreamState s;
        ResetStreamState(s);
        s.horizontal_size = c.width;
        s.vertical_size = c.height;
        s.aspect_ratio_information = 1;
        s.display_horizontal_size = c.displayWidth;
        s.display_vertical_size = c.displayHeight;
        UpdateAspectRatio(s);
        EXPECT_GT(s.aspect_x, 0);
        EXPECT_GT(s.aspect_y, 0);
    }
}

}  // namespace
}  // namespace tl::test
