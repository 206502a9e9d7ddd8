// tlvdec's command line. Every option is one row of a table, so adding one is
// one line here and one in options.cpp.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace tl::tlvdec {

struct Options {
    std::string input;
    std::string output;  // empty: no picture output; "-": standard output
    bool help = false;     // print the usage and stop
    bool version = false;  // print the version and stop
    bool md5 = false;      // print one MD5 per delivered sample
    bool info = false;
    bool timestamps = false;
    std::int64_t frames = -1;  // stop after this many delivered pictures; -1: all
    std::int64_t chunk = 65536;
    int pid = -1;             // transport stream packet identifier of the video, -1: from the tables
    bool bench = false;       // decode only: nothing converted, nothing written
    int cpuTier = -1;         // KernelTier to force, -1: what the processor offers
    int format = -1;          // OUTPUT_* code of the connection, -1: the engine's planar layout
    int deinterlace = 0;      // tagDEINTERLACE setting
    bool colorCorrection = false;
    bool conceal = false;  // fill undecoded macroblocks from a reference picture
    std::optional<int> brightness, contrast, saturation;
    std::int64_t snapshotIndex = -1;  // delivered sample to save as a BMP, -1: none
    std::string snapshotPath;
    std::string overlayPath;  // BMP drawn over every picture, empty: none
    std::int64_t overlayX = 0, overlayY = 0;
    char dxvaMode = 0;  // 'A' to 'D': decode through the software DirectX VA accelerator; 0: software
    bool dxvaSingleCoefficients = false;
};

// Fills `options` from argv; on failure returns false with a one-line message.
bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error);

std::string Usage();

// The output is a YUV4MPEG2 file (named *.y4m).
bool WantsY4m(const Options& options);

}  // namespace tl::tlvdec
