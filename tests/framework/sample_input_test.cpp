// How samples reach the reader: chunking, PES and pack headers, times,
// discontinuities and the byte count, seen through the decoder object.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/framework/sample_flags.h"
#include "tests/framework/decoder_rig.h"
#include "tests/support/stream_cuts.h"

namespace tl {
namespace {

using test::Bytes;
using test::DecoderRig;

Bytes pesPacket(const Bytes& payload, bool mpeg2 = true) {
    const int length = 3 + 5 + int(payload.size());
    const std::uint8_t header[14] = {0, 0, 1, 0xE0, std::uint8_t(length >> 8), std::uint8_t(length),
                                     std::uint8_t(mpeg2 ? 0x80 : 0x0F), 0x80, 5, 0x21, 0x00, 0x01, 0x00, 0x01};
    Bytes b(sizeof header + payload.size());
    std::copy(header, header + sizeof header, b.begin());
    std::copy(payload.begin(), payload.end(), b.begin() + sizeof header);
    return b;
}

Bytes packed(const Bytes& pes, bool systemHeader = false) {
    Bytes b = {0, 0, 1, 0xBA, 0x44, 0x00, 0x04, 0x00, 0x04, 0x01, 0x01, 0x89, 0xC3, 0xF8};
    if (systemHeader) {
        const Bytes header = {0, 0, 1, 0xBB, 0, 0};
        b.insert(b.end(), header.begin(), header.end());
    }
    b.reserve(b.size() + pes.size());
    b.insert(b.end(), pes.begin(), pes.end());
    return b;
}

TEST(SampleInput, AnyChunkingGivesTheSamePictures) {
    const Bytes stream = test::buildStream("IPBBPBB");
    for (std::size_t chunk : {1u, 2u, 3u, 5u, 7u, 64u, 100000u}) {
        DecoderRig rig;
        rig.init();
        rig.play(test::cutIntoChunks(stream, chunk));
        EXPECT_EQ(rig.host.types(), "IBBPBBP") << chunk;
        EXPECT_EQ(rig.decoder.streamInfo().totalBytesRead, stream.size()) << chunk;
    }
}

TEST(SampleInput, PesAndPackHeadersAreStrippedAndNotCounted) {
    const auto pictures = test::buildPictureSamples("IPBB");
    std::size_t payload = 0;
    std::vector<Bytes> samples;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        payload += pictures[i].size();
        samples.push_back(i % 2 ? packed(pesPacket(pictures[i])) : pesPacket(pictures[i]));
    }
    DecoderRig rig;
    rig.init();
    rig.play(samples);
    EXPECT_EQ(rig.host.types(), "IBBP");
    EXPECT_EQ(rig.decoder.streamInfo().totalBytesRead, payload);
}

TEST(SampleInput, RefusedSamplesAreDroppedWhole) {
    struct Case {
        const char* name;
        Bytes (*wrap)(const Bytes&);
    };
    const Case cases[] = {
        {"mpeg1_pes", [](const Bytes& b) { return pesPacket(b, false); }},
        {"pack_with_system_header", [](const Bytes& b) { return packed(pesPacket(b), true); }},
        {"empty_sample", [](const Bytes&) { return Bytes{}; }},
    };
    for (const Case& c : cases) {
        const auto pictures = test::buildPictureSamples("IPPP");
        DecoderRig rig;
        rig.init();
        // The third sample is refused; its picture is simply missing.
        std::vector<Bytes> samples = {pictures[0], pictures[1], c.wrap(pictures[2]), pictures[3]};
        rig.play(samples);
        EXPECT_EQ(rig.host.types(), "IPP") << c.name;
        EXPECT_EQ(rig.decoder.streamInfo().totalBytesRead,
                  pictures[0].size() + pictures[1].size() + pictures[3].size())
            << c.name;
    }
}

TEST(SampleInput, OnlyTheFirstPictureOfASampleTakesItsTime) {
    const auto pictures = test::buildPictureSamples("IPPP");
    Bytes first = pictures[0];
    first.insert(first.end(), pictures[1].begin(), pictures[1].end());
    Bytes second = pictures[2];
    second.insert(second.end(), pictures[3].begin(), pictures[3].end());
    DecoderRig rig;
    rig.init();
    ASSERT_EQ(rig.feed(first, 5000000), hr::ok);
    ASSERT_EQ(rig.feed(second), hr::ok);  // no time: the clock runs on
    ASSERT_EQ(rig.decoder.EndOfStream(), hr::ok);
    const auto d = rig.host.deliveries();
    ASSERT_EQ(d.size(), 4u);
    for (std::size_t i = 0; i < d.size(); ++i) EXPECT_EQ(d[i].start, 5000000 + ReferenceTime(i) * 400000) << i;
}

TEST(SampleInput, DiscontinuityForgetsTheDisplaySize) {
    test::BitWriter w;
    test::writeSequenceHeader(w, {});
    test::writeSequenceExtension(w, {});
    test::DisplayExtensionFields display;
    display.displayWidth = 704;
    display.displayHeight = 576;
    test::writeSequenceDisplayExtension(w, display);
    test::writeGroupOfPictures(w, {});
    test::writePicture(w, 1, {});
    test::writeSlice(w, 1);
    DecoderRig rig;
    rig.init();
    ASSERT_EQ(rig.feed(w.data()), hr::ok);
    ASSERT_EQ(rig.feed(test::buildPictureSamples("P")[0]), hr::ok);
    ASSERT_EQ(rig.decoder.EndOfStream(), hr::ok);
    EXPECT_EQ(rig.decoder.streamInfo().displaySizeX, 704);

    ASSERT_EQ(rig.feed(test::buildPictureSamples("P")[0], kNoTime, sample_flag::data_discontinuity), hr::ok);
    ASSERT_EQ(rig.decoder.EndOfStream(), hr::ok);
    const StreamInfo info = rig.decoder.streamInfo();
    EXPECT_EQ(info.displaySizeX, 0);
    EXPECT_EQ(info.displaySizeY, 0);
}

TEST(SampleInput, GarbageNeverHangsOrCrashes) {
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return std::uint8_t(seed >> 16);
    };
    const Bytes good = test::buildStream("IPBBPBB");
    DecoderRig rig;
    rig.init();
    for (int round = 0; round < 20; ++round) {
        Bytes b = good;
        for (int k = 0; k < 12; ++k) b[next() % b.size()] = next();
        rig.play(test::cutIntoChunks(b, 1 + next() % 50));
    }
    EXPECT_EQ(rig.host.liveSamples(), 0);
    // The decoder is still alive and decodes a clean stream afterwards.
    const std::size_t before = rig.host.deliveries().size();
    rig.play(test::cutIntoChunks(good, 4096));
    EXPECT_EQ(rig.host.deliveries().size(), before + 7);
}

}  // namespace
}  // namespace tl
