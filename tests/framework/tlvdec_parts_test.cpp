// tlvdec's command line and its BMP files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/dispatch.h"
#include "engine/framework/deinterlace.h"
#include "engine/macroblock/kernel_slots.h"
#include "tools/tlvdec/bmp_file.h"
#include "tools/tlvdec/options.h"

namespace tl::tlvdec {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct OptionCase {
    std::vector<const char*> args;
    bool ok;
    const char* errorPart;  // for failures
};

TEST(TlvdecOptions, Table) {
    const OptionCase cases[] = {
        {{"in.m2v"}, true, ""},
        {{"in.m2v", "-o", "-", "--info", "--timestamps", "--frames", "5", "--chunk", "7"}, true, ""},
        {{"--output", "out.yuv", "in.mpg"}, true, ""},
        {{}, false, "no input"},
        {{"in.m2v", "--bogus"}, false, "unknown option '--bogus'"},
        {{"in.m2v", "--frames"}, false, "needs N"},
        {{"in.m2v", "--frames", "-1"}, false, "bad value '-1'"},
        {{"in.m2v", "--frames", "3x"}, false, "bad value '3x'"},
        {{"in.m2v", "--chunk", "0"}, false, "bad value '0'"},
        {{"in.m2v", "-o", ""}, false, "bad value ''"},
        {{"a.m2v", "b.m2v"}, false, "unexpected argument 'b.m2v'"},
        {{"in.m2v", "-f", "rgb565", "--brightness", "-128", "--contrast", "128", "--saturation", "0"}, true, ""},
        {{"in.m2v", "--snapshot", "0", "a.bmp", "--brightness", "5"}, true, ""},
        {{"in.m2v", "--bench", "--cpu", "mmx", "--deinterlace", "bob2", "--color-correction"}, true, ""},
        {{"in.m2v", "-f", "YUY2"}, false, "bad value 'YUY2'"},
        {{"in.m2v", "--snapshot", "1", ""}, false, "bad value '1 '"},
        {{"in.m2v", "--snapshot"}, false, "needs N FILE.bmp"},
        {{"in.m2v", "-f", "rgb24", "--brightness", "1e2"}, false, "bad value '1e2'"},
        {{"in.m2v", "--saturation", "10"}, false, "RGB output only"},
        {{"in.m2v", "--bench", "--snapshot", "1", "a.bmp"}, false, "--bench converts and writes nothing"},
        {{"in.m2v", "--bench", "-o", "x.yuv"}, false, "--bench converts and writes nothing"},
        {{"in.m2v", "--deinterlace", "blend"}, false, "bad value 'blend' for option '--deinterlace'"},
        {{"in.m2v", "--deinterlace", "software-bob-double"}, true, ""},
        {{"in.m2v", "--cpu", "avx"}, false, "bad value 'avx' for option '--cpu'"},
        {{"in.m2v", "-f", "rgb32", "--brightness", "129"}, false, "bad value '129' for option '--brightness'"},
        {{"in.m2v", "-f", "rgb32", "--contrast", "-129"}, false, "bad value '-129' for option '--contrast'"},
        {{"in.m2v", "--dxva", "d", "-f", "yuy2", "--timestamps"}, true, ""},
        {{"in.m2v", "--dxva", "c", "--dxva-single-coefs"}, true, ""},
        {{"in.m2v", "--dxva", "e"}, false, "bad value 'e' for option '--dxva'"},
        {{"in.m2v", "--dxva", "b", "--dxva-single-coefs"}, false, "needs --dxva c or d"},
        {{"in.m2v", "--dxva", "a", "--bench"}, false, "leave out --bench, --snapshot and --overlay"},
    };
    for (const OptionCase& c : cases) {
        std::vector<const char*> argv = {"tlvdec"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        Options o;
        std::string error;
        const bool ok = ParseOptions(int(argv.size()), argv.data(), o, error);
        std::string joined;
        for (const char* a : c.args) joined += std::string(a) + " ";
        EXPECT_EQ(ok, c.ok) << joined << error;
        if (!c.ok) {
            EXPECT_NE(error.find(c.errorPart), std::string::npos) << joined << error;
        }
    }
}

TEST(TlvdecOptions, ValuesLandInTheirFields) {
    const char* argv[] = {"tlvdec", "--chunk", "4096", "clip.vob", "--frames", "12", "-o", "-", "--info"};
    Options o;
    std::string error;
    ASSERT_TRUE(ParseOptions(9, argv, o, error)) << error;
    EXPECT_EQ(o.input, "clip.vob");
    EXPECT_EQ(o.output, "-");
    EXPECT_EQ(o.chunk, 4096);
    EXPECT_EQ(o.frames, 12);
    EXPECT_TRUE(o.info);
    EXPECT_FALSE(o.timestamps);
    for (const char* name : {"--output", "--info", "--timestamps", "--frames", "--chunk", "--format", "--deinterlace",
                             "--color-correction", "--brightness", "--contrast", "--saturation", "--snapshot",
                             "--cpu", "--bench"})
        EXPECT_NE(Usage().find(name), std::string::npos) << name;
}

TEST(TlvdecOptions, ChoicesLandAsEngineValues) {
    const char* argv[] = {"tlvdec",       "in.m2v",   "-f",         "yv12", "--deinterlace", "hwbob",
                          "--cpu",        "sse",      "--snapshot", "12",   "shot.bmp",      "--contrast",
                          "-7",           "--color-correction"};
    Options o;
    std::string error;
    ASSERT_TRUE(ParseOptions(14, argv, o, error)) << error;
    EXPECT_EQ(o.format, OUTPUT_YV12);
    EXPECT_EQ(o.deinterlace, DEINTERLACE_HARDWARE_BOB);
    EXPECT_EQ(o.cpuTier, int(KernelTier::SSE));
    EXPECT_EQ(o.snapshotIndex, 12);
    EXPECT_EQ(o.snapshotPath, "shot.bmp");
    EXPECT_EQ(o.contrast, -7);
    EXPECT_FALSE(o.brightness.has_value());
    EXPECT_TRUE(o.colorCorrection);
    EXPECT_FALSE(o.bench);
}

TEST(Bmp, RowsArePaddedAndStoredBottomUp) {
    struct Case {
        int width, height, bytesPerPixel, rowPitch;
    };
    for (const Case c : {Case{1, 1, 3, 3}, Case{2, 3, 4, 8}, Case{3, 2, 3, 12}, Case{5, 4, 4, 20}, Case{4, 1, 3, 12}}) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " bpp " +
                     std::to_string(c.bytesPerPixel));
        Bytes pixels(std::size_t(c.rowPitch * c.height));
        for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = std::uint8_t(i * 7 + 1);
        const Bytes bmp = EncodeBmp24(pixels.data(), c.width, c.height, c.rowPitch, c.bytesPerPixel);
        const std::size_t stride = std::size_t((c.width * 3 + 3) / 4 * 4);
        ASSERT_EQ(bmp.size(), 54 + stride * std::size_t(c.height));
        auto le32 = [&bmp](std::size_t at) { return bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 | bmp[at + 3] << 24; };
        EXPECT_EQ(bmp[0], 'B');
        EXPECT_EQ(bmp[1], 'M');
        EXPECT_EQ(le32(2), int(bmp.size()));
        EXPECT_EQ(le32(10), 54);  // pixel data offset
        EXPECT_EQ(le32(14), 40);  // header size
        EXPECT_EQ(le32(18), c.width);
        EXPECT_EQ(le32(22), c.height);  // positive: bottom-up
        EXPECT_EQ(le32(26), 1 | 24 << 16);  // one plane, 24 bits
        EXPECT_EQ(le32(30), 0);  // BI_RGB
        EXPECT_EQ(le32(34), int(stride) * c.height);
        for (int y = 0; y < c.height; ++y) {
            const std::size_t row = 54 + std::size_t(c.height - 1 - y) * stride;
            for (int x = 0; x < c.width; ++x)
                for (int k = 0; k < 3; ++k)
                    EXPECT_EQ(bmp[row + std::size_t(3 * x + k)],
                              pixels[std::size_t(y * c.rowPitch + x * c.bytesPerPixel + k)]);
            for (std::size_t pad = std::size_t(3 * c.width); pad < stride; ++pad) EXPECT_EQ(bmp[row + pad], 0);
        }
    }
    const Bytes some(64, 1);
    EXPECT_TRUE(EncodeBmp24(some.data(), 0, 1, 12, 3).empty());
    EXPECT_TRUE(EncodeBmp24(some.data(), 4, 1, 11, 3).empty());
    EXPECT_TRUE(EncodeBmp24(some.data(), 2, 1, 8, 2).empty());
    EXPECT_TRUE(EncodeBmp24(nullptr, 2, 1, 8, 4).empty());
}

}  // namespace
}  // namespace tl::tlvdec
