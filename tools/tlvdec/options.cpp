#include "tools/tlvdec/options.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "convert/dispatch.h"
#include "convert/rgb_matrix.h"
#include "engine/framework/deinterlace.h"
#include "engine/macroblock/kernel_slots.h"
#include "tools/common/deinterlace_names.h"
#include "tools/common/output_format_names.h"

namespace tl::tlvdec {
namespace {

bool parseCount(const char* text, std::int64_t minimum, std::int64_t& out) {
    if (!*text) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    if (errno || *end || v < minimum) return false;
    out = v;
    return true;
}

bool parseProcAmp(const char* text, std::optional<int>& out) {
    std::int64_t v;
    if (!parseCount(text, kProcAmpMin, v) || v > kProcAmpMax) return false;
    out = int(v);
    return true;
}

// Overlay positions beyond any picture size are refused rather than wrapped.
constexpr std::int64_t kLargestOffset = 1 << 16;

struct Choice {
    const char* name;
    int value;
};

template <std::size_t N>
bool pick(const Choice (&choices)[N], const char* text, int& out) {
    for (const Choice& c : choices) {
        if (!std::strcmp(text, c.name)) {
            out = c.value;
            return true;
        }
    }
    return false;
}

const Choice kTiers[] = {
    {"plain", int(KernelTier::Plain)},
    {"mmx", int(KernelTier::MMX)},
    {"sse", int(KernelTier::SSE)},
    {"sse2", int(KernelTier::SSE2)},
    {"avx2", int(KernelTier::AVX2)},
};

struct OptionSpec {
    const char* name;
    const char* shortName;  // or null
    int valueCount;         // words that follow the option
    const char* valueName;  // for the usage text; null for a flag
    const char* help;
    // Applies the option to its values; false when a value is unusable.
    bool (*apply)(Options& options, const char* const* values);
};

const Choice kDxvaModes[] = {{"a", 'A'}, {"b", 'B'}, {"c", 'C'}, {"d", 'D'}};

const OptionSpec kOptions[] = {
    {"--help", "-h", 0, nullptr, "print this usage and stop",
     [](Options& o, const char* const*) { return (o.help = true); }},
    {"--version", nullptr, 0, nullptr, "print the version and stop",
     [](Options& o, const char* const*) { return (o.version = true); }},
    {"--output", "-o", 1, "OUTPUT",
     "write every delivered sample as it reaches the renderer ('-' for standard output); "
     "OUTPUT.y4m: a YUV4MPEG2 file of the planar pictures",
     [](Options& o, const char* const* v) { return (o.output = v[0], !o.output.empty()); }},
    {"--format", "-f", 1, "FORMAT",
     "connect as a renderer of FORMAT: yuy2, uyvy, yvyu, yv12, rgb32, rgb24, rgb565 or rgb555",
     [](Options& o, const char* const* v) { return (o.format = tools::OutputFormatCodeOf(v[0])) >= 0; }},
    {"--deinterlace", nullptr, 1, "MODE",
     "the Deinterlace setting: auto, progressive, weave, hwbob (hardware-bob), bob (software-bob) or bob2 "
     "(software-bob-double)",
     [](Options& o, const char* const* v) { return (o.deinterlace = tools::DeinterlaceMode(v[0])) >= 0; }},
    {"--color-correction", nullptr, 0, nullptr, "expand the range of YUV output",
     [](Options& o, const char* const*) { return (o.colorCorrection = true); }},
    {"--conceal", nullptr, 0, nullptr, "fill the macroblocks of damaged pictures from the nearest reference picture",
     [](Options& o, const char* const*) { return (o.conceal = true); }},
    {"--brightness", nullptr, 1, "N", "RGB brightness, -128 to 128",
     [](Options& o, const char* const* v) { return parseProcAmp(v[0], o.brightness); }},
    {"--contrast", nullptr, 1, "N", "RGB contrast, -128 to 128",
     [](Options& o, const char* const* v) { return parseProcAmp(v[0], o.contrast); }},
    {"--saturation", nullptr, 1, "N", "RGB saturation, -128 to 128",
     [](Options& o, const char* const* v) { return parseProcAmp(v[0], o.saturation); }},
    {"--snapshot", nullptr, 2, "N FILE.bmp", "save delivered sample N (from 0) as a 24-bit BMP (without -f, from RGB24)",
     [](Options& o, const char* const* v) {
         return parseCount(v[0], 0, o.snapshotIndex) && (o.snapshotPath = v[1], !o.snapshotPath.empty());
     }},
    {"--overlay", nullptr, 3, "FILE.bmp X Y",
     "draw a 24-bit (opaque) or 32-bit (with alpha) BMP over every picture, its top left at X, Y",
     [](Options& o, const char* const* v) {
         return (o.overlayPath = v[0], !o.overlayPath.empty()) && parseCount(v[1], -kLargestOffset, o.overlayX) &&
                parseCount(v[2], -kLargestOffset, o.overlayY) && o.overlayX <= kLargestOffset &&
                o.overlayY <= kLargestOffset;
     }},
    {"--dxva", nullptr, 1, "MODE",
     "decode through DirectX VA mode a, b, c or d into the software accelerator and write its displayed surfaces",
     [](Options& o, const char* const* v) {
         int mode = 0;
         return pick(kDxvaModes, v[0], mode) && (o.dxvaMode = char(mode));
     }},
    {"--dxva-single-coefs", nullptr, 0, nullptr, "modes c and d: one coefficient per entry instead of groups of four",
     [](Options& o, const char* const*) { return (o.dxvaSingleCoefficients = true); }},
    {"--cpu", nullptr, 1, "TIER", "use the kernels of TIER and none above: plain, mmx, sse, sse2 or avx2",
     [](Options& o, const char* const* v) { return pick(kTiers, v[0], o.cpuTier); }},
    {"--bench", nullptr, 0, nullptr, "decode only and print pictures, seconds and pictures per second",
     [](Options& o, const char* const*) { return (o.bench = true); }},
    {"--info", nullptr, 0, nullptr, "print the stream information after decoding",
     [](Options& o, const char* const*) { return (o.info = true); }},
    {"--md5", nullptr, 0, nullptr, "print the MD5 of every delivered sample, one per line",
     [](Options& o, const char* const*) { return (o.md5 = true); }},
    {"--timestamps", nullptr, 0, nullptr, "print index, type, start, stop and flags of every sample",
     [](Options& o, const char* const*) { return (o.timestamps = true); }},
    {"--frames", nullptr, 1, "N", "stop after N delivered samples",
     [](Options& o, const char* const* v) { return parseCount(v[0], 0, o.frames); }},
    {"--chunk", nullptr, 1, "BYTES", "sample size for elementary streams (default 65536)",
     [](Options& o, const char* const* v) { return parseCount(v[0], 1, o.chunk) && o.chunk <= (1 << 30); }},
    {"--pid", nullptr, 1, "N", "transport stream: decode the video of packet identifier N (0 to 8191)",
     [](Options& o, const char* const* v) {
         std::int64_t pid;
         return parseCount(v[0], 0, pid) && pid <= 0x1FFF && (o.pid = int(pid), true);
     }},
};

const OptionSpec* find(const char* arg) {
    for (const OptionSpec& spec : kOptions)
        if (!std::strcmp(arg, spec.name) || (spec.shortName && !std::strcmp(arg, spec.shortName))) return &spec;
    return nullptr;
}

bool isRgb(int format) { return format >= OUTPUT_RGB32 && format <= OUTPUT_RGB555; }

// Combinations that no single option can see.
bool checkCombination(const Options& o, std::string& error) {
    if (o.help || o.version) return true;
    if (o.input.empty()) {
        error = "no input file";
        return false;
    }
    if (o.bench && (!o.output.empty() || o.snapshotIndex >= 0)) {
        error = "--bench converts and writes nothing; leave out -o and --snapshot";
        return false;
    }
    if (o.dxvaMode && (o.bench || o.snapshotIndex >= 0 || !o.overlayPath.empty())) {
        error = "--dxva shows the accelerator's surfaces: leave out --bench, --snapshot and --overlay";
        return false;
    }
    if (o.dxvaSingleCoefficients && o.dxvaMode != 'C' && o.dxvaMode != 'D') {
        error = "--dxva-single-coefs needs --dxva c or d";
        return false;
    }
    if (WantsY4m(o) && o.format >= 0) {
        error = "a .y4m file holds the planar pictures: leave out -f";
        return false;
    }
    const bool procAmp = o.brightness || o.contrast || o.saturation;
    // Without -f the snapshot comes from a decoder connected in RGB24.
    if (procAmp && !isRgb(o.format) && (o.format >= 0 || o.snapshotIndex < 0)) {
        error = "--brightness, --contrast and --saturation act on RGB output only: add -f rgb32, rgb24, "
                "rgb565 or rgb555, or --snapshot without -f";
        return false;
    }
    return true;
}

}  // namespace

bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (arg[0] == '-' && arg[1] != '\0') {
            const OptionSpec* spec = find(arg);
            if (!spec) {
                error = std::string("unknown option '") + arg + "'";
                return false;
            }
            if (i + spec->valueCount >= argc) {
                error = std::string("option '") + arg + "' needs " + spec->valueName;
                return false;
            }
            const char* const* values = argv + i + 1;
            i += spec->valueCount;
            if (!spec->apply(options, values)) {
                std::string given;
                for (int k = 0; k < spec->valueCount; ++k) given += (k ? " " : "") + std::string(values[k]);
                error = "bad value '" + given + "' for option '" + arg + "' (" + spec->help + ")";
                return false;
            }
        } else if (options.input.empty()) {
            options.input = arg;
        } else {
            error = std::string("unexpected argument '") + arg + "'";
            return false;
        }
    }
    return checkCombination(options, error);
}

bool WantsY4m(const Options& o) {
    const std::string& out = o.output;
    if (out.size() < 4) return false;
    std::string ext = out.substr(out.size() - 4);
    for (char& c : ext) c = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return ext == ".y4m";
}

std::string Usage() {
    std::string text = "usage: tlvdec INPUT [options]";
    text += "\n  INPUT  MPEG-2 video: elementary, program (VOB), MPEG-1 system or transport stream; '-' for standard input\n";
    for (const OptionSpec& spec : kOptions) {
        std::string left = spec.shortName ? std::string(spec.shortName) + ", " + spec.name : spec.name;
        if (spec.valueName) left += std::string(" ") + spec.valueName;
        left.resize(std::max<std::size_t>(left.size() + 2, 24), ' ');
        text += "  " + left + spec.help + "\n";
    }
    return text;
}

}  // namespace tl::tlvdec
