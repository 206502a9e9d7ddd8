// tlvplay's stream side: program stream units, elementary stream chunks, damaged
// files, options, and the frame files it writes.
#include <gtest/gtest.h>

#include <windows.h>

#include <strmif.h>

#include <amvideo.h>
#include <dvdmedia.h>
#include <uuids.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/corpus.h"
#include "tests/support/temp_file.h"
#include "tools/common/stream_reader.h"
#include "tools/tlvplay/frame_writer.h"
#include "tools/tlvplay/mpeg_source.h"
#include "tools/tlvplay/options.h"

namespace tl::tlvplay {
namespace {

using test::list_streams;
using test::read_file_bytes;

std::unique_ptr<MpegSource> OpenStream(const std::filesystem::path& path) {
    std::string error;
    auto source = MpegSource::Open(path.string(), &error);
    EXPECT_TRUE(source) << error;
    return source;
}

// The units are the packets the tools' reader gives (its own tests decide
// those), timed from the first time stamp.
TEST(TlvplayProgramStream, UnitsAreWholePacketsTimedFromTheFirstPts) {
    const std::string path = test::find_stream("program").streamPath().string();
    tools::StreamReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(path, error)) << error;
    std::vector<tools::StreamSample> expected;
    for (tools::StreamSample sample; reader.next(sample);) expected.push_back(sample);
    auto source = OpenStream(path);
    ASSERT_TRUE(source);
    ASSERT_FALSE(expected.empty());
    ASSERT_TRUE(expected[0].pts);
    StreamUnit unit;
    std::size_t n = 0;
    for (; source->Next(&unit); ++n) {
        ASSERT_LT(n, expected.size());
        const tools::StreamSample& p = expected[n];
        EXPECT_EQ(unit.bytes, p.bytes);
        EXPECT_EQ(unit.time, p.pts ? ReferenceTime((*p.pts - *expected[0].pts) * 1000 / 9) : kNoTime);
    }
    EXPECT_EQ(n, expected.size());
}

TEST(TlvplayElementaryStream, ChunksReassembleTheFileAndOnlyTheFirstCarriesATime) {
    for (const test::StreamInfo& info : list_streams()) {
        if (info.programStream()) continue;
        SCOPED_TRACE(info.name);
        auto source = OpenStream(info.streamPath());
        ASSERT_TRUE(source);
        std::vector<std::uint8_t> joined;
        StreamUnit unit;
        for (int n = 0; source->Next(&unit); ++n) {
            EXPECT_LE(unit.bytes.size(), source->MaxUnitSize());
            EXPECT_EQ(unit.time, n == 0 ? 0 : kNoTime);
            EXPECT_EQ(unit.entry, n == 0);
            joined.insert(joined.end(), unit.bytes.begin(), unit.bytes.end());
        }
        EXPECT_EQ(joined, read_file_bytes(info.streamPath()));
        if (!info.mpeg1()) {
            EXPECT_EQ(source->Duration(), info.frames() * source->Sequence().framePeriod)
                << "one coded frame picture per displayed picture";
        }
    }
}

TEST(TlvplayMalformed, DamagedFilesAreRefusedOrCutShortWithoutReadingPastTheirEnd) {
    const std::vector<std::uint8_t> program = read_file_bytes(test::find_stream("program").streamPath());
    const std::vector<std::uint8_t> es = read_file_bytes(test::find_stream("prog420_cgop").streamPath());
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        bool opens;
    };
    std::vector<Case> cases = {
        {"empty", {}, false},
        {"no start code", std::vector<std::uint8_t>(5000, 0x55), false},
        {"sequence header cut short", std::vector<std::uint8_t>(es.begin(), es.begin() + 9), false},
        {"pack header alone", std::vector<std::uint8_t>(program.begin(), program.begin() + 14), false},
        {"program stream cut inside a packet",
         std::vector<std::uint8_t>(program.begin(), program.begin() + std::ptrdiff_t(program.size() / 2 + 7)), true},
        {"elementary stream cut inside a picture",
         std::vector<std::uint8_t>(es.begin(), es.begin() + std::ptrdiff_t(es.size() / 3 + 5)), true},
    };
    // Zeros where packets were: the demultiplexer loses sync and has to find it again.
    std::vector<std::uint8_t> lost(program.begin(), program.begin() + 2000);
    lost.resize(2600, 0x00);
    lost.insert(lost.end(), program.begin() + 2600, program.end());
    cases.push_back({"program stream with a zeroed stretch", lost, true});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempFile file(".mpg");
        file.write(c.bytes);
        std::string error;
        auto source = MpegSource::Open(file.path().string(), &error);
        EXPECT_EQ(bool(source), c.opens) << error;
        if (!source) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        std::size_t total = 0;
        StreamUnit unit;
        while (source->Next(&unit)) total += unit.bytes.size();
        EXPECT_LE(total, c.bytes.size());
        EXPECT_GT(total, 0u);
        EXPECT_GE(source->Seek(source->Duration()), 0);
    }
}

// What the end-to-end run does not use: grabbing, raw frames, the null renderer
// and plug-ins are decided there.
TEST(TlvplayOptions, AcceptedCommandLines) {
    struct Case {
        std::vector<const char*> args;
        Renderer renderer;
        const char* format;
        int deinterlace;
        double seconds;
    };
    const Case cases[] = {
        {{"in.m2v"}, Renderer::Default, nullptr, -1, 0},
        {{"--renderer", "vmr9", "in.mpg", "--seconds", "2"}, Renderer::Vmr9, nullptr, -1, 2},
        {{"in.mpg", "--renderer", "vmr7", "--format", "RGB565"}, Renderer::Vmr7, "RGB565", -1, 0},
        {{"in.mpg", "--deinterlace", "software-bob-double"}, Renderer::Default, nullptr, 5, 0},
        {{"in.mpg", "--deinterlace", "bob"}, Renderer::Default, nullptr, 4, 0},
        {{"in.mpg", "--deinterlace", "2", "--seconds", "0.5"}, Renderer::Default, nullptr, 2, 0.5},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"tlvplay"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(argv[1]);
        Options options;
        std::string error;
        ASSERT_TRUE(ParseOptions(int(argv.size()), argv.data(), &options, &error)) << error;
        EXPECT_EQ(options.renderer, c.renderer);
        EXPECT_EQ(options.format ? std::string(options.format->name) : "", c.format ? c.format : "");
        EXPECT_EQ(options.deinterlace, c.deinterlace);
        EXPECT_EQ(options.seconds, c.seconds);
        EXPECT_EQ(options.input.substr(0, 3), "in.");
    }
}

// One case of each kind of mistake; the end-to-end run checks what a user reads.
TEST(TlvplayOptions, RefusedCommandLinesSayWhy) {
    const std::vector<std::vector<const char*>> cases = {
        {},
        {"in.mpg", "--renderer", "grab"},
        {"in.mpg", "--format", "nv12"},
        {"in.mpg", "--deinterlace", "blend"},
        {"in.mpg", "--seconds", "2x"},
        {"in.mpg", "--raw"},
        {"in.mpg", "other.mpg"},
    };
    for (const auto& args : cases) {
        std::vector<const char*> argv = {"tlvplay"};
        argv.insert(argv.end(), args.begin(), args.end());
        Options options;
        std::string error;
        EXPECT_FALSE(ParseOptions(int(argv.size()), argv.data(), &options, &error)) << argv.size();
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

MediaType VideoType(const char* format, long width, long height) {
    const OutputFormat* f = FindOutputFormat(format);
    MediaType type;
    type.Get().majortype = MEDIATYPE_Video;
    type.Get().subtype = *f->subtype;
    auto* vih = reinterpret_cast<VIDEOINFOHEADER2*>(type.AllocateFormat(FORMAT_VideoInfo2, sizeof(VIDEOINFOHEADER2)));
    vih->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih->bmiHeader.biWidth = width;
    vih->bmiHeader.biHeight = height;
    vih->bmiHeader.biBitCount = f->bitCount;
    vih->bmiHeader.biCompression = f->compression;
    return type;
}

// How the grabber reads a sample: rows length / height apart (YV12 luma two
// thirds of that), RGB upside down when the height is positive.
TEST(TlvplayFrameWriter, RowsAsTheDecoderLaysThemOut) {
    struct Case {
        const char* format;
        long width, height;
        std::vector<std::uint8_t> sample;
        std::vector<std::uint8_t> pixels;  // the BMP's pixel array, bottom row first
    };
    const Case cases[] = {
        {"RGB24", 1, 2, {1, 2, 3, 0xEE, 4, 5, 6, 0xEE}, {1, 2, 3, 0, 4, 5, 6, 0}},
        {"RGB32", 1, -2, {1, 2, 3, 0, 4, 5, 6, 0}, {4, 5, 6, 0, 1, 2, 3, 0}},
        // Luma pitch 4 of a sample pitch 6: white left column, black right, then Cr and Cb.
        {"YV12", 2, 2, {235, 16, 0, 0, 235, 16, 0, 0, 128, 0, 128, 0}, {255, 255, 255, 0, 0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        const MediaType type = VideoType(c.format, c.width, c.height);
        test::TempFile file(".bmp");
        std::string error;
        ASSERT_TRUE(WriteFrame(file.path().string(), type.Get(), c.sample.data(), long(c.sample.size()),
                               FrameFile::Bitmap, &error))
            << error;
        const std::vector<std::uint8_t> bmp = read_file_bytes(file.path());
        ASSERT_EQ(bmp.size(), 54 + c.pixels.size());
        EXPECT_EQ(std::vector<std::uint8_t>(bmp.begin() + 54, bmp.end()), c.pixels);
    }
}

TEST(TlvplayFrameWriter, SamplesTooSmallForTheirFormatAreRefused) {
    const struct {
        const char* format;
        long width, height, length;
    } cases[] = {{"RGB32", 4, 4, 63}, {"YUY2", 4, 2, 15}, {"YV12", 4, 3, 17}, {"YV12", 5, 2, 15}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        const MediaType type = VideoType(c.format, c.width, c.height);
        const std::vector<BYTE> sample(std::size_t(c.length), 0x80);
        test::TempFile file(".bmp");
        std::string error;
        EXPECT_FALSE(WriteFrame(file.path().string(), type.Get(), sample.data(), c.length, FrameFile::Bitmap,
                                &error));
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace tl::tlvplay
