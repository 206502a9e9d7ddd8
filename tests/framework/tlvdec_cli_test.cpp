// tlvdec run as a user runs it, on corpus streams: output formats and sample
// counts, deinterlace modes, snapshots, kernel tiers, and refused options.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "convert/dispatch.h"
#include "tests/support/corpus.h"
#include "tests/support/temp_file.h"
#include "tools/common/frame_bitmap.h"
#include "tools/common/output_format_names.h"

namespace tl {
namespace {

struct CliResult {
    int exitCode = -1;
    std::string out, err;
};

std::string quoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

CliResult runTlvdec(const std::vector<std::string>& args, const std::string& stdinFile = "") {
    test::TempFile out, err;
    std::string command = quoted(TLVDEC_PATH);
    for (const std::string& a : args) command += " " + quoted(a);
    if (!stdinFile.empty()) command += " <" + quoted(stdinFile);
    command += " >" + quoted(out.path().string()) + " 2>" + quoted(err.path().string());
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::read_text(out.path()), test::read_text(err.path())};
}

std::string streamPath(const char* name) { return test::find_stream(name).streamPath().string(); }

// The raw output of a run with `args` and then `more`, which must succeed.
std::string outputOf(std::vector<std::string> args, const std::vector<std::string>& more = {}) {
    test::TempFile output(".raw");
    args.insert(args.end(), more.begin(), more.end());
    args.insert(args.end(), {"-o", output.path().string()});
    const CliResult r = runTlvdec(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return test::read_text(output.path());
}

// Interlaced pictures to a renderer without interlace support: Auto is the
// double-rate software bob; the single-rate modes give one sample each. The
// planar connection takes interlaced samples, so there Auto weaves.
TEST(TlvdecCli, SamplesAreTightAndCountedByTheDeinterlaceMode) {
    // stream, format (null: the planar layout), deinterlace mode, samples per picture
    std::vector<std::tuple<const char*, const char*, const char*, int>> cases = {
        {"intl_tff_ogop", "yuy2", "auto", 2},
        {"intl_tff_ogop", "rgb24", "bob2", 2},
        {"intl_tff_ogop", "yv12", "bob", 1},
        {"intl_tff_ogop", "uyvy", "weave", 1},
        {"intl_bff_ogop", "rgb565", "progressive", 1},
        {"intl_tff_ogop", nullptr, "auto", 1},
        {"intl_tff_ogop", nullptr, "hwbob", 1},
        {"intl_tff_ogop", nullptr, "bob2", 2},
    };
    for (const tools::OutputFormatName& f : tools::kOutputFormatNames)
        cases.emplace_back("size331x249", f.name, "auto", 1);
    for (const auto& [stream, format, deinterlace, samplesPerPicture] : cases) {
        SCOPED_TRACE(std::string(stream) + " -f " + (format ? format : "planar") + " --deinterlace " + deinterlace);
        const test::StreamInfo info = test::find_stream(stream);
        test::TempFile output(".raw");
        std::vector<std::string> args = {streamPath(stream), "--deinterlace", deinterlace, "--timestamps", "-o",
                                         output.path().string()};
        if (format) args.insert(args.end(), {"-f", format});
        const CliResult r = runTlvdec(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::uintmax_t rowBytes = format ? tightRowPitch(tools::OutputFormatCodeOf(format), info.width())
                                               : info.width() * 3 / 2;  // planar: luma and half as much chroma
        const std::uintmax_t sampleSize = rowBytes * std::uintmax_t(info.height());
        const std::uintmax_t samples = std::uintmax_t(info.frames()) * std::uintmax_t(samplesPerPicture);
        EXPECT_EQ(std::filesystem::file_size(output.path()), samples * sampleSize);
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), std::ptrdiff_t(samples));
    }
}

// The snapshot is the delivered sample of the -f format (RGB24 without -f) as
// the tools' BMP conversion writes it.
TEST(TlvdecCli, SnapshotIsTheDeliveredSampleAsABmp) {
    // stream, options besides --snapshot, format of the sample the snapshot must show, index
    const std::tuple<const char*, std::vector<std::string>, int, int> cases[] = {
        // 331 pixels: 993 bytes of pixels and three of padding per BMP row.
        {"size331x249", {}, OUTPUT_RGB24, 7},
        {"size331x249", {"-f", "yuy2"}, OUTPUT_YUY2, 7},
        {"size331x249", {"-f", "rgb565", "--brightness", "40"}, OUTPUT_RGB565, 3},
        {"intl_tff_ogop", {"-f", "yv12"}, OUTPUT_YV12, 9},
        {"intl_tff_ogop", {"--deinterlace", "bob"}, OUTPUT_RGB24, 4},
    };
    for (const auto& [stream, options, format, index] : cases) {
        SCOPED_TRACE(testing::Message() << stream << " format " << format << " sample " << index);
        const test::StreamInfo info = test::find_stream(stream);
        const int width = info.width(), height = info.height();

        test::TempFile bmp(".bmp");
        outputOf({streamPath(stream), "--snapshot", std::to_string(index), bmp.path().string()}, options);
        std::vector<std::string> refArgs = {streamPath(stream)};
        if (format == OUTPUT_RGB24) refArgs.insert(refArgs.end(), {"-f", "rgb24"});
        const std::string samples = outputOf(refArgs, options);
        const std::size_t sampleBytes = std::size_t(tightRowPitch(format, width)) * std::size_t(height);
        ASSERT_GE(samples.size(), sampleBytes * std::size_t(index + 1));
        const auto* sample = reinterpret_cast<const std::uint8_t*>(samples.data()) + sampleBytes * std::size_t(index);
        const std::vector<std::uint8_t> expected =
            tools::FrameToBmp(tools::SampleView(format, sample, sampleBytes, width, height, false));
        EXPECT_TRUE(test::read_file_bytes(bmp.path()) == expected);
    }
}

// Two runs whose outputs must be equal or must differ: the accelerator's
// displayed surfaces are written as the software path writes its woven samples;
// colour correction stretches only YUV output.
TEST(TlvdecCli, RunsThatMustAgreeOrDiffer) {
    // stream, the options of one run and of the other, whether the outputs are equal
    const std::tuple<const char*, std::vector<std::string>, std::vector<std::string>, bool> cases[] = {
        {"intl_tff_ogop", {}, {"--dxva", "a"}, true},
        {"intl_tff_ogop", {"-f", "yuy2", "--deinterlace", "weave"}, {"-f", "yuy2", "--dxva", "d"}, true},
        {"intl_tff_ogop",
         {"-f", "yv12", "--deinterlace", "weave"},
         {"-f", "yv12", "--dxva", "c", "--dxva-single-coefs"},
         true},
        {"prog420_cgop", {"-f", "yuy2"}, {"-f", "yuy2", "--color-correction"}, false},
        {"prog420_cgop", {"-f", "uyvy"}, {"-f", "uyvy", "--color-correction"}, false},
        {"prog420_cgop", {"-f", "yv12"}, {"-f", "yv12", "--color-correction"}, false},
        {"prog420_cgop", {"-f", "rgb32"}, {"-f", "rgb32", "--color-correction"}, true},
    };
    for (const auto& [stream, one, other, equal] : cases) {
        SCOPED_TRACE(other.back());
        const std::string first = outputOf({streamPath(stream), "--frames", "12"}, one);
        ASSERT_FALSE(first.empty());
        EXPECT_EQ(first == outputOf({streamPath(stream), "--frames", "12"}, other), equal);
    }
}

// A 32-bit BMP, white and opaque on its left half, transparent on its right
// (whatever colour it holds there), drawn at (16, 8) over YUY2 samples: opaque
// white where the image is opaque (luma 255, chroma 127), the picture elsewhere.
TEST(TlvdecCli, OverlayImageCoversOnlyItsOpaquePixels) {
    constexpr int kX = 16, kY = 8, kW = 32, kH = 16, kPitch = 352 * 2, kPicture = kPitch * 288;
    std::vector<std::uint8_t> bmp = {'B', 'M'};
    bmp.resize(54);
    const std::uint32_t header[] = {0, 0, 54, 40, kW, std::uint32_t(-kH), 1 | 32 << 16};  // top-down rows
    std::memcpy(bmp.data() + 2, header, sizeof header);
    for (int i = 0; i < kW * kH; ++i) bmp.insert(bmp.end(), {0xFF, 0xFF, 0xFF, std::uint8_t(i % kW < kW / 2 ? 0xFF : 0)});
    test::TempFile image(".bmp");
    image.write(bmp);
    const std::vector<std::string> args = {streamPath("prog420_cgop"), "-f", "yuy2", "--frames", "3"};
    const std::string before = outputOf(args);
    const std::string after = outputOf(args, {"--overlay", image.path().string(), std::to_string(kX), std::to_string(kY)});
    ASSERT_EQ(after.size(), before.size());
    int wrong = 0;
    for (std::size_t i = 0; i < after.size(); ++i) {
        const int at = int(i % kPicture), x = at % kPitch / 2, y = at / kPitch;
        const bool covered = x >= kX && x < kX + kW / 2 && y >= kY && y < kY + kH;
        wrong += std::uint8_t(after[i]) != (covered ? (at % 2 ? 127 : 255) : std::uint8_t(before[i]));
    }
    EXPECT_EQ(wrong, 0);
}

// What a user sees for the things users do: help, version, files that are not
// MPEG-2 video, refused options, a missing snapshot, damaged streams, digests,
// a YUV4MPEG2 file, a size change midway.
// "@out" stands for a fresh output file, "@size" for a stream that changes size.
TEST(TlvdecCli, WhatAUserSees) {
    const std::string es = streamPath("quant_mix"), streams = test::corpus_dir().string() + "/";
    const std::vector<std::uint8_t> good = test::read_file_bytes(es);
    std::vector<std::uint8_t> damaged = good, resized = good, small = test::read_file_bytes(streamPath("escapes"));
    for (std::size_t i = 0; i < 64; ++i) damaged[30000 + i] = std::uint8_t(i * 151 + 7);  // inside a slice
    resized.insert(resized.end(), small.begin(), small.end());
    test::TempFile empty(".m2v"), broken(".m2v"), sized(".m2v");
    broken.write(damaged);
    sized.write(resized);
    // arguments, standard input, exit code, what standard output and error hold, what @out starts with, usage shown
    const std::tuple<std::vector<std::string>, std::string, int, std::string, std::string, std::string, bool>
        cases[] = {
        {{"--help"}, "", 0, "usage: tlvdec", "", "", false},
        {{"-h"}, "", 0, "--pid N", "", "", false},
        {{"--version"}, "", 0, "tlvdec 1.", "", "", false},
        {{streams + "mpeg1.m1v"}, "", 1, "", "MPEG-1 video", "", false},
        {{empty.path().string()}, "", 1, "", "an empty file", "", false},
        {{streams + "no-such.ts"}, "", 1, "", "cannot open", "", false},
        {{streams + "quant_mix.ts", "--pid", "256"}, "", 1, "", "without an MPEG video sequence header", "", false},
        {{es, "-o", es}, "", 2, "", "-o names the input file", "", true},
        {{es, "-f", "yuy2", "--brightness", "10"}, "", 2, "", "act on RGB output only", "", true},
        {{es, "--snapshot", "99", "@out"}, "", 1, "", "no sample 99", "", false},
        {{streams + "hd1080i.m2v", "--bench", "--frames", "7"}, "", 0, "pictures: 7\n", "", "", false},
        {{broken.path().string()}, "", 0, "", "warning: 1 bitstream errors", "", false},
        {{"-", "--md5"}, streams + "quant_mix.m2ts", 0, test::read_text(test::find_stream("quant_mix").md5Path()), "", "", false},
        {{streamPath("intl_bff_ogop"), "-o", "@out"}, "", 0, "", "", "YUV4MPEG2 W352 H576 F25:1 Ib A32:11 C420mpeg2\nFRAME\n", false},
        {{"@size", "-o", "@out"}, "", 0, "", "size changes from 352x288 to 176x144 after 24 samples", "YUV4MPEG2 W352 H288 F25:1 Ip A1:1", false},
    };
    for (const auto& [given, stdinFile, exitCode, outHas, errHas, fileHas, usage] : cases) {
        SCOPED_TRACE(given.front());
        test::TempFile out(".y4m");
        std::vector<std::string> args = given;
        for (std::string& a : args) a = a == "@out" ? out.path().string() : a == "@size" ? sized.path().string() : a;
        const CliResult r = runTlvdec(args, stdinFile);
        EXPECT_EQ(r.exitCode, exitCode) << r.err;
        EXPECT_NE(r.out.find(outHas), std::string::npos) << r.out;
        EXPECT_NE(r.err.find(errHas), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("usage:") != std::string::npos, usage) << r.err;
        EXPECT_EQ(test::read_text(out.path()).rfind(fileHas, 0), 0u);
    }
}

}  // namespace
}  // namespace tl
