// Every stream of the corpus through the decoder object with the real slice
// layer: sizes, aspect, frame rate, and the pictures in display order.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/framework/decoder_rig.h"
#include "tests/support/corpus.h"
#include "tools/tlvdec/program_stream.h"

namespace tl {
namespace {

struct Decoded {
    StreamInfo info;
    std::string types;
};

Decoded decode(const test::StreamInfo& stream, std::size_t chunk, std::uint32_t corruptionSeed = 0) {
    std::vector<std::uint8_t> bytes = test::read_file_bytes(stream.streamPath());
    // Optionally overwrite a few bytes at random places (outside a program
    // stream's packet layer, which the demultiplexer would simply skip).
    for (std::uint32_t seed = corruptionSeed, k = 0; corruptionSeed && k < 24 && !bytes.empty(); ++k) {
        seed = seed * 1664525u + 1013904223u;
        bytes[(seed >> 8) % bytes.size()] = std::uint8_t(seed >> 24);
    }
    test::TestSettings settings;
    test::RecordingHost host;
    host.format.interlaceFlags = 1;  // one woven sample per picture
    VideoDecoder decoder;
    EXPECT_EQ(decoder.Init(&settings, &host), hr::ok);
    auto feed = [&](std::size_t offset, std::size_t length, ReferenceTime start) {
        test::TestSample* s = test::TestSample::make(
            std::vector<std::uint8_t>(bytes.begin() + std::ptrdiff_t(offset),
                                      bytes.begin() + std::ptrdiff_t(offset + length)),
            start);
        EXPECT_EQ(decoder.Receive(s), hr::ok);
        s->release();
    };
    if (stream.programStream()) {
        for (const tlvdec::VideoPacket& p : tlvdec::DemultiplexVideo(bytes.data(), bytes.size()))
            feed(p.offset, p.length, p.start);
    } else {
        for (std::size_t offset = 0; offset < bytes.size(); offset += chunk)
            feed(offset, std::min(chunk, bytes.size() - offset), kNoTime);
    }
    EXPECT_EQ(decoder.EndOfStream(), hr::ok);
    Decoded d{decoder.streamInfo(), host.types()};
    decoder.Uninit();
    EXPECT_EQ(host.liveSamples(), 0);
    return d;
}

TEST(Corpus, EveryStreamDecodesToItsDescription) {
    const std::vector<test::StreamInfo> streams = test::list_streams();
    if (streams.empty()) GTEST_SKIP() << "no streams in " << test::corpus_dir();
    for (const test::StreamInfo& stream : streams) {
        for (std::size_t chunk : {std::size_t(65536), std::size_t(1009)}) {
            SCOPED_TRACE(stream.name + " in samples of " + std::to_string(chunk));
            const Decoded d = decode(stream, chunk);
            EXPECT_EQ(d.info.sizeX, stream.width());
            EXPECT_EQ(d.info.sizeY, stream.height());
            const test::Ratio rate = stream.frameRate();
            EXPECT_NEAR(d.info.frameRate, double(rate.num) / double(rate.den), 1e-6);
            EXPECT_EQ(int(d.types.size()), stream.frames());
            EXPECT_EQ(d.types, stream.pictureTypes());
            if (stream.mpeg1()) {
                EXPECT_EQ(d.info.chromaFormat, 0);
                continue;
            }
            EXPECT_EQ(d.info.chromaFormat, stream.chroma() == 420 ? 1 : stream.chroma() == 422 ? 2 : 3);
            if (const auto aspect = stream.displayAspect()) {
                // The display extension can turn a square-pixel ratio into a
                // per-mille one (11:9 becomes 1000:818); a percent covers that.
                ASSERT_GT(d.info.aspectRatioY, 0);
                const double got = double(d.info.aspectRatioX) / d.info.aspectRatioY;
                const double want = double(aspect->num) / double(aspect->den);
                EXPECT_NEAR(got / want, 1.0, 0.01) << d.info.aspectRatioX << ":" << d.info.aspectRatioY;
            }
        }
    }
}

TEST(Corpus, CorruptedStreamsNeverCrashOrHang) {
    const std::vector<test::StreamInfo> streams = test::list_streams();
    if (streams.empty()) GTEST_SKIP() << "no streams in " << test::corpus_dir();
    for (const test::StreamInfo& stream : streams) {
        if (stream.programStream()) continue;
        for (std::uint32_t seed = 1; seed <= 3; ++seed) {
            SCOPED_TRACE(stream.name + " corrupted with seed " + std::to_string(seed));
            const Decoded d = decode(stream, 4096, seed);
            EXPECT_LE(d.types.size(), std::size_t(stream.frames()) + 8);
        }
    }
}

}  // namespace
}  // namespace tl
