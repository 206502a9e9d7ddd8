// How samples reach the reader: chunking, PES and pack headers, times,
// discontinuities and the byte count, seen through the decoder object.
#include <gtest/gtest.h>

#include "engine/framework/sample_flags.h"
#include "tests/framework/decoder_rig.h"
#include "tests/support/pes_writer.h"
#include "tests/support/stream_cuts.h"

namespace tl {
namespace {

using test::Bytes;
using test::DecoderRig;

TEST(SampleInput, AnyChunkingGivesTheSamePictures) {
    const Bytes stream = test::buildStream("IPBBPBB");
    for (std::size_t chunk : {1u, 2u, 3u, 5u, 7u, 64u, 100000u}) {
        DecoderRig rig;
        rig.initAndPlay(test::cutIntoChunks(stream, chunk));
        EXPECT_EQ(rig.host.types(), "IBBPBBP") << chunk;
        EXPECT_EQ(rig.decoder.streamInfo().totalBytesRead, stream.size()) << chunk;
    }
}

// The third picture's sample wrapped: PES and pack headers are stripped and not
// counted; a sample the parser refuses is dropped whole, and its picture is missing.
TEST(SampleInput, WrappedSamplesAreStrippedOrDroppedWhole) {
    const std::tuple<const char*, Bytes (*)(const Bytes&), bool> cases[] = {  // name, wrapping, accepted
        {"pes", [](const Bytes& b) { return test::pesPacket(0xE0, b, 0); }, true},
        {"pack_then_pes", [](const Bytes& b) { return test::packHeader(0, test::pesPacket(0xE0, b, 0)); }, true},
        {"mpeg1_pes", [](const Bytes& b) { return test::pesPacket(0xE0, 0x0F, 0x00, {}, b); }, false},
        {"pack_with_system_header",
         [](const Bytes& b) { return test::packHeader(0, test::cat({{0, 0, 1, 0xBB, 0, 0}, test::pesPacket(0xE0, b)})); },
         false},
        {"empty_sample", [](const Bytes&) { return Bytes{}; }, false},
    };
    for (const auto& [name, wrap, accepted] : cases) {
        const auto pictures = test::buildPictureSamples("IPPP");
        DecoderRig rig;
        rig.initAndPlay({pictures[0], pictures[1], wrap(pictures[2]), pictures[3]});
        EXPECT_EQ(rig.host.types(), accepted ? "IPPP" : "IPP") << name;
        const std::size_t lost = accepted ? 0 : pictures[2].size();
        EXPECT_EQ(rig.decoder.streamInfo().totalBytesRead, test::buildStream("IPPP").size() - lost) << name;
    }
}

TEST(SampleInput, DiscontinuityForgetsTheDisplaySize) {
    const test::DisplayExtensionFields display{5, false, 1, 1, 1, 704, 576};
    const test::StreamShape shape{{}, {}, {}, false, &display};
    DecoderRig rig;
    rig.initAndPlay(test::buildPictureSamples("IP", shape));
    EXPECT_EQ(rig.decoder.streamInfo().displaySizeX, 704);

    ASSERT_EQ(rig.feed(test::buildPictureSamples("P")[0], kNoTime, sample_flag::data_discontinuity), hr::ok);
    ASSERT_EQ(rig.decoder.EndOfStream(), hr::ok);
    const StreamInfo info = rig.decoder.streamInfo();
    EXPECT_EQ(std::make_pair(info.displaySizeX, info.displaySizeY), std::make_pair(0, 0));
}

}  // namespace
}  // namespace tl
