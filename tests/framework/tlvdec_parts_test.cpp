// tlvdec's command line.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tools/tlvdec/options.h"

namespace tl::tlvdec {
namespace {

TEST(TlvdecOptions, OneCaseOfEachWayALineIsAcceptedOrRefused) {
    const std::tuple<std::vector<const char*>, bool, const char*> cases[] = {  // arguments, accepted, error part
        {{"in.m2v"}, true, ""},
        {{"in.m2v", "-o", "-", "--info", "--timestamps", "--frames", "5", "--chunk", "7"}, true, ""},
        {{}, false, "no input"},
        {{"in.m2v", "--bogus"}, false, "unknown option '--bogus'"},
        {{"in.m2v", "--frames", "3x"}, false, "bad value '3x'"},
        {{"a.m2v", "b.m2v"}, false, "unexpected argument 'b.m2v'"},
        {{"in.m2v", "-f", "rgb565", "--brightness", "-128", "--contrast", "128", "--saturation", "0"}, true, ""},
        {{"in.m2v", "-f", "yuy2", "--snapshot", "0", "a.bmp", "--contrast", "5"}, false, "--snapshot without -f"},
        {{"in.m2v", "--bench", "--cpu", "mmx", "--deinterlace", "bob2", "--color-correction"}, true, ""},
        {{"in.m2v", "-f", "YUY2"}, true, ""},  // names in any case, as tlvplay takes them
        {{"in.m2v", "--saturation", "10"}, false, "RGB output only"},
        {{"in.m2v", "--bench", "--snapshot", "1", "a.bmp"}, false, "--bench converts and writes nothing"},
        {{"in.m2v", "--deinterlace", "software-bob-double"}, true, ""},
        {{"in.m2v", "-f", "rgb32", "--brightness", "129"}, false, "bad value '129' for option '--brightness'"},
        {{"in.m2v", "-f", "rgb32", "--contrast", "-129"}, false, "bad value '-129' for option '--contrast'"},
        {{"in.m2v", "--dxva", "d", "-f", "yuy2", "--timestamps"}, true, ""},
        {{"in.m2v", "--dxva", "c", "--dxva-single-coefs"}, true, ""},
        {{"in.m2v", "--dxva", "b", "--dxva-single-coefs"}, false, "needs --dxva c or d"},
        {{"in.m2v", "--dxva", "a", "--bench"}, false, "leave out --bench, --snapshot and --overlay"},
    };
    for (const auto& [args, accepted, errorPart] : cases) {
        std::vector<const char*> argv = {"tlvdec"};
        argv.insert(argv.end(), args.begin(), args.end());
        Options o;
        std::string error;
        const bool ok = ParseOptions(int(argv.size()), argv.data(), o, error);
        std::string joined;
        for (const char* a : args) joined += std::string(a) + " ";
        EXPECT_EQ(ok, accepted) << joined << error;
        EXPECT_TRUE(accepted || error.find(errorPart) != std::string::npos) << joined << error;
    }
}

}  // namespace
}  // namespace tl::tlvdec
