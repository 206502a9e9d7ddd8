// The tools' common pieces. The input reader: containers told by content, the
// video samples of each container as a demultiplexer delivers them, in constant
// memory and from any restart position, and the corpus stream decoding alike
// from every container. The BMP of a delivered picture, and the format names.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "convert/dispatch.h"
#include "tests/support/corpus.h"
#include "tests/support/decode_samples.h"
#include "tests/support/pes_writer.h"
#include "tests/support/temp_file.h"
#include "tests/support/ts_writer.h"
#include "tools/common/frame_bitmap.h"
#include "tools/common/output_format_names.h"
#include "tools/common/pes_header.h"
#include "tools/common/stream_reader.h"

namespace tl::tools {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::cat;
using test::pesPacket;

std::vector<StreamSample> readOn(StreamReader& reader) {
    std::vector<StreamSample> samples;
    StreamSample s;
    while (reader.next(s)) samples.push_back(s);
    EXPECT_FALSE(reader.readFailed());
    return samples;
}

using Contents = std::vector<std::pair<Bytes, std::optional<std::uint64_t>>>;

// The bytes and time stamps of what the reader gives for `stream`, read
// `readSize` bytes at a time, from the transport stream of `pid`.
Contents readBytes(const Bytes& stream, std::size_t readSize, int pid = -1) {
    const test::TempFile file(".bin");
    file.write(stream);
    ReaderOptions options;
    options.readSize = readSize;
    options.pid = pid;
    StreamReader reader(options);
    std::string error;
    EXPECT_TRUE(reader.open(file.path().string(), error)) << error;
    Contents contents;
    for (const StreamSample& s : readOn(reader)) contents.emplace_back(s.bytes, s.pts);
    return contents;
}

TEST(Container, ToldByContent) {
    Bytes noise(4000);
    std::uint32_t seed = 5;
    for (auto& b : noise) b = std::uint8_t((seed = seed * 1664525u + 1013904223u) >> 24);
    int cc = 0;
    const Bytes ts = test::tsPackets(0x100, Bytes(600, 0x11), cc);
    // The bytes, the container and its offset, and for no container a word of its description.
    for (auto [what, bytes, container, offset, unknownAs] : {
             std::tuple{"empty", Bytes{}, Container::Unknown, std::size_t(0), "empty"},
             {"noise", noise, Container::Unknown, 0, "no MPEG video"},
             {"H.264", {0, 0, 0, 1, 0x09, 0xF0, 0, 0, 0, 1, 0x67, 0x42}, Container::Unknown, 0, "H.264"},
             {"program stream after junk", cat({{7, 7, 7}, test::packHeader()}), Container::ProgramStream, 3, ""},
             {"transport after junk", cat({{1, 0x47, 2, 3, 4}, ts}), Container::Transport, 5, ""},
             {"one transport packet", Bytes(ts.begin(), ts.begin() + 188), Container::Transport, 0, ""},
         }) {
        SCOPED_TRACE(what);
        const Detected d = DetectContainer(bytes.data(), bytes.size());
        EXPECT_EQ(std::make_pair(d.container, d.offset), std::make_pair(container, offset));
        if (*unknownAs) {
            EXPECT_NE(std::string(DescribeUnknown(bytes.data(), bytes.size())).find(unknownAs), std::string::npos);
        }
    }
}

TEST(PesHeader, PayloadOffsetAndTimeStamp) {
    // The packet, whether it parses, the payload's offset and the time stamp.
    for (auto [what, packet, ok, payload, pts] : {
        std::tuple{"MPEG-2 with PTS",
                   Bytes{0, 0, 1, 0xE0, 0, 12, 0x80, 0x80, 5, 0x21, 0x00, 0x01, 0x00, 0x03, 0xAA, 0xBB, 0xCC}, true,
                   std::size_t(14), std::optional<std::uint64_t>(1)},
        {"MPEG-2 PTS 2^32 + 2", {0, 0, 1, 0xE0, 0, 12, 0x80, 0x80, 5, 0x29, 0x00, 0x01, 0x00, 0x05, 0xAA, 0xBB, 0xCC},
         true, 14, (1ULL << 32) + 2},
        {"MPEG-2 without PTS, stuffing", {0, 0, 1, 0xE0, 0, 8, 0x80, 0x00, 2, 0xFF, 0xFF, 0xAA, 0xBB}, true, 11, {}},
        {"MPEG-2 header longer than the packet", {0, 0, 1, 0xE0, 0, 4, 0x80, 0x00, 9, 0xAA}, false, 0, {}},
        {"MPEG-1 stuffing and STD, PTS", {0, 0, 1, 0xE0, 0, 12, 0xFF, 0x40, 0x10, 0x21, 0x00, 0x01, 0x00, 0x03, 0xAA, 0xBB},
         true, 14, 1},
        {"MPEG-1 no time stamps", {0, 0, 1, 0xE0, 0, 3, 0x0F, 0xAA, 0xBB}, true, 7, {}},
        {"MPEG-1 PTS with a broken marker", {0, 0, 1, 0xE0, 0, 8, 0x21, 0x00, 0x00, 0x00, 0x03, 0xAA}, true, 11, {}},
        {"too short", {0, 0, 1, 0xE0, 0, 0}, false, 0, {}},
    }) {
        SCOPED_TRACE(what);
        PesHeader header;
        const bool parsed = ParsePesHeader(packet.data(), packet.size(), header);
        EXPECT_EQ(std::make_tuple(parsed, header.payloadOffset, header.pts), std::make_tuple(ok, payload, pts));
    }
}

// A program stream with what the first video stream's packets must be found
// among: a system header, audio, junk, a second video stream, padding, the end
// code and a packet cut short by the end of the file.
TEST(StreamReader, ProgramStreamGivesTheFirstVideoStreamsPackets) {
    const Bytes v1 = pesPacket(0xE0, {0, 0, 1, 0xB3, 1, 2}, 90000);
    const Bytes v2 = pesPacket(0xE0, Bytes(3000, 5));
    // PES_packet_length 0, the largest 33-bit PTS.
    const Bytes unbounded = pesPacket(0xE0, 0x80, 0x80, test::timeStamp(0x21, 8589934591), {0, 0, 1, 0xB8, 7, 7}, 0);
    const Bytes cut = pesPacket(0xE0, 0x80, 0x00, {}, {1, 2}, 7);  // two of its four payload bytes
    const Bytes ps = cat({test::packHeader(1), {0, 0, 1, 0xBB, 0, 3, 0x80, 0x01, 0x01}, v1,
                          pesPacket(0xC0, {9, 9, 9}, 90000), {0x12, 0x34}, test::packHeader(), v2,
                          pesPacket(0xE1, {1}, 0), pesPacket(0xBE, Bytes(10, 0xFF)), unbounded, test::packHeader(),
                          {0, 0, 1, 0xB9}, cut});
    for (std::size_t readSize : {1, 2, 5, 17, 100000}) {
        SCOPED_TRACE(readSize);
        EXPECT_EQ(readBytes(ps, readSize), (Contents{{v1, 90000}, {v2, std::nullopt}, {unbounded, 8589934591}}));
    }
}

// Two programs, the first without video; the video's PES packets spread over
// packets with a repeated copy, one marked damaged in transmission, and one
// audio packet between them.
Bytes transportStream(bool packets192, bool brokenTables, const Bytes& video1, const Bytes& video2) {
    int ccPat = 0, ccPmt1 = 0, ccPmt2 = 0, ccAudio = 0, ccVideo = 0;
    Bytes pat = test::tsPackets(0, test::patSection({{0, 0x10}, {1, 0x20}, {2, 0x21}}), ccPat);
    if (brokenTables) pat[185] ^= 1;  // in the CRC
    const Bytes first = test::tsPackets(0x41, pesPacket(0xE0, video1, 3003), ccVideo);
    const Bytes head(first.begin(), first.begin() + 188), rest(first.begin() + 188, first.end());
    Bytes damaged = test::tsPackets(0x41, pesPacket(0xE0, {6, 6, 6}), ccVideo);
    damaged[1] |= 0x80;
    const Bytes ts = cat({pat, test::tsPackets(0x20, test::pmtSection(1, {{0x03, 0x31}}), ccPmt1),
                          test::tsPackets(0x21, test::pmtSection(2, {{0x0F, 0x32}, {0x02, 0x41}}), ccPmt2), head,
                          head, test::tsPackets(0x31, pesPacket(0xC0, {7, 7}, 3003), ccAudio), rest, damaged,
                          test::tsPackets(0x41, pesPacket(0xE0, 0x80, 0x00, {}, video2, 0), ccVideo)});
    return packets192 ? test::packets192(ts) : ts;
}

TEST(StreamReader, TransportStreamGivesTheVideoOfTheFirstProgramWithIt) {
    Bytes video1(400), video2(500);
    for (std::size_t i = 0; i < video1.size(); ++i) video1[i] = std::uint8_t(i);
    for (std::size_t i = 0; i < video2.size(); ++i) video2[i] = std::uint8_t(3 * i);
    // The packet identifier asked for (-1: from the tables), 192-byte packets,
    // a broken association table, and what is read.
    for (auto [what, pid, packets192, brokenTables, expected] : {
             std::tuple{"from the tables", -1, false, false, Contents{{video1, 3003}, {video2, std::nullopt}}},
             {"192-byte packets", -1, true, false, {{video1, 3003}, {video2, std::nullopt}}},
             {"audio by --pid", 0x31, false, false, {{{7, 7}, 3003}}},
             {"broken association table", -1, false, true, {}},
         }) {
        SCOPED_TRACE(what);
        EXPECT_EQ(readBytes(transportStream(packets192, brokenTables, video1, video2), 100, pid), expected);
    }
}

// quant_mix copied into every container decodes to its digests, its samples carry the pictures' time
// stamps, and reading again from a sample's position gives the samples from there on, as a seek does.
TEST(StreamReader, EveryContainerDecodesLikeTheElementaryStream) {
    const test::StreamInfo info = test::find_stream("quant_mix");
    const std::vector<std::string> md5 = test::read_md5_lines(info.md5Path());
    const std::tuple<const char*, Container, std::size_t> cases[] = {  // file, container, pictures with a time
        {"quant_mix.m2v", Container::Elementary, 0},      {"quant_mix.ts", Container::Transport, 24},
        {"quant_mix.m2ts", Container::Transport192, 24}, {"quant_mix.vob", Container::ProgramStream, 17},
        {"quant_mix_system.mpg", Container::SystemStream, 17},
    };
    for (const auto& [file, container, picturesTimed] : cases) {
        SCOPED_TRACE(file);
        StreamReader reader;
        std::string error;
        ASSERT_TRUE(reader.open((test::corpus_dir() / file).string(), error)) << error;
        EXPECT_EQ(reader.container(), container);
        const std::vector<StreamSample> samples = readOn(reader);
        std::vector<Bytes> bytes;
        std::set<std::uint64_t> times;
        for (const StreamSample& s : samples) {
            bytes.push_back(s.bytes);
            if (s.pts) times.insert(*s.pts);
        }
        EXPECT_EQ(test::decodeSamples(bytes).digests, md5);
        // Times of pictures 40 ms apart: one per picture where each PES packet holds
        // one, fewer where a packet holds several.
        for (std::uint64_t t : times) {
            EXPECT_EQ((t - *times.begin()) % 3600, 0u);
            EXPECT_LE(t - *times.begin(), 23u * 3600);
        }
        EXPECT_EQ(times.size(), picturesTimed);
        const std::size_t from = samples.size() / 2;
        ASSERT_TRUE(reader.restartAt(samples[from].position));
        const std::vector<StreamSample> again = readOn(reader);
        ASSERT_EQ(again.size(), samples.size() - from);
        for (std::size_t i = 0; i < again.size(); ++i) EXPECT_EQ(again[i].bytes, samples[from + i].bytes);
    }
}

// The BMP both tools write for a delivered picture, from every output format.
std::uint32_t le32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}

TEST(FrameBitmap, EachFormatGivesBottomUpBgrRows) {
    // The format, size and pitch of the sample, whether bottom-up, its bytes, and
    // the BMP's pixel array: bottom row first, rows padded to four bytes.
    for (auto [what, format, width, height, pitch, bottomUp, sample, pixels] : {
        // RGB32 keeps B, G, R and drops the fourth byte; a bottom-up sample keeps its row order.
        std::tuple{"rgb32 bottom-up", int(OUTPUT_RGB32), 1, 2, 4, true, Bytes{1, 2, 3, 9, 4, 5, 6, 9},
                   Bytes{1, 2, 3, 0, 4, 5, 6, 0}},
        {"rgb32 top-down", OUTPUT_RGB32, 1, 2, 4, false, {1, 2, 3, 9, 4, 5, 6, 9}, {4, 5, 6, 0, 1, 2, 3, 0}},
        // A padded sample pitch is dropped; five bytes of BMP row padding are zero.
        {"rgb24 pitch 8", OUTPUT_RGB24, 2, 1, 8, false, {1, 2, 3, 4, 5, 6, 0xEE, 0xEE}, {1, 2, 3, 4, 5, 6, 0, 0}},
        // 16-bit colours widened by repeating their top bits: full red, full green.
        {"rgb565", OUTPUT_RGB565, 2, 1, 4, true, {0x00, 0xF8, 0xE0, 0x07}, {0, 0, 255, 0, 255, 0, 0, 0}},
        {"rgb555", OUTPUT_RGB555, 2, 1, 4, true, {0x1F, 0x00, 0x10, 0x42}, {255, 0, 0, 132, 132, 132, 0, 0}},
        // YUV: studio-range white over black.
        {"yuy2", OUTPUT_YUY2, 2, 2, 4, false, {235, 128, 235, 128, 16, 128, 16, 128},
         {0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255, 0, 0}},
        {"uyvy", OUTPUT_UYVY, 2, 1, 4, false, {128, 235, 128, 16}, {255, 255, 255, 0, 0, 0, 0, 0}},
        // YUY2 and YVYU differ in where Cb and Cr sit: pure red both ways.
        {"yuy2 red", OUTPUT_YUY2, 2, 1, 4, false, {81, 90, 81, 240}, {0, 0, 255, 0, 0, 255, 0, 0}},
        {"yvyu red", OUTPUT_YVYU, 2, 1, 4, false, {81, 240, 81, 90}, {0, 0, 255, 0, 0, 255, 0, 0}},
        // YV12: the Cr plane comes before Cb; one chroma sample covers two rows.
        {"yv12", OUTPUT_YV12, 2, 2, 2, false, {145, 145, 145, 145, 34, 54},
         {0, 255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 0}},
    }) {
        SCOPED_TRACE(what);
        const FrameView view{format, sample.data(), width, height, pitch, bottomUp};
        ASSERT_EQ(FrameBytes(view), sample.size());
        const Bytes bmp = FrameToBmp(view);
        ASSERT_EQ(bmp.size(), 54 + pixels.size());
        // The file size, pixel offset, size (a positive height: bottom row first),
        // one plane of 24 bits, and the pixel array's size.
        EXPECT_EQ(std::vector<std::uint32_t>({bmp[0], bmp[1], le32(bmp, 2), le32(bmp, 10), le32(bmp, 18), le32(bmp, 22),
                                              le32(bmp, 26), le32(bmp, 34)}),
                  std::vector<std::uint32_t>({'B', 'M', std::uint32_t(bmp.size()), 54, std::uint32_t(width),
                                              std::uint32_t(height), 1 | 24 << 16, std::uint32_t(pixels.size())}));
        for (std::size_t i = 0; i < pixels.size(); ++i) EXPECT_NEAR(bmp[54 + i], pixels[i], 1) << "byte " << i;
    }
}

TEST(FrameBitmap, UnusableViewsGiveNoFile) {
    const Bytes some(64, 0x80);
    const FrameView cases[] = {
        {OUTPUT_PLANAR, some.data(), 2, 2, 2, false},  // the engine's planar layout
        {OUTPUT_RGB24, some.data(), 0, 2, 6, false},   // no width
        {OUTPUT_RGB32, some.data(), 4, 1, 15, false},  // pitch below a row
        {OUTPUT_YUY2, some.data(), 3, 1, 6, false},    // odd YUY2 pitch
        {OUTPUT_YV12, some.data(), 2, 2, 2, true},     // YV12 upside down
    };
    for (const FrameView& view : cases) EXPECT_TRUE(FrameBytes(view) == 0 && FrameToBmp(view).empty()) << view.format;
}

TEST(OutputFormatNames, EitherSpellingAnyCase) {
    for (auto [text, code] : {std::pair{"yuy2", int(OUTPUT_YUY2)}, {"YVYU", OUTPUT_YVYU}, {"Rgb565", OUTPUT_RGB565},
                              {"rgb55", -1}, {"rgb5555", -1}, {"", -1}, {"planar", -1}})
        EXPECT_EQ(OutputFormatCodeOf(text), code) << text;
}

}  // namespace
}  // namespace tl::tools
