#include "tools/tlvdec/options.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

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

struct OptionSpec {
    const char* name;
    const char* shortName;  // or null
    const char* valueName;  // null for a flag
    const char* help;
    // Applies the option; false when the value is unusable.
    bool (*apply)(Options& options, const char* value);
};

const OptionSpec kOptions[] = {
    {"--output", "-o", "OUTPUT", "write pictures as raw planar Y, Cb, Cr ('-' for standard output)",
     [](Options& o, const char* v) { return (o.output = v, !o.output.empty()); }},
    {"--info", nullptr, nullptr, "print the stream information after decoding",
     [](Options& o, const char*) { return (o.info = true); }},
    {"--timestamps", nullptr, nullptr, "print index, type, start, stop and flags of every picture",
     [](Options& o, const char*) { return (o.timestamps = true); }},
    {"--frames", nullptr, "N", "stop after N delivered pictures",
     [](Options& o, const char* v) { return parseCount(v, 0, o.frames); }},
    {"--chunk", nullptr, "BYTES", "sample size for elementary streams (default 65536)",
     [](Options& o, const char* v) { return parseCount(v, 1, o.chunk) && o.chunk <= (1 << 30); }},
};

const OptionSpec* find(const char* arg) {
    for (const OptionSpec& spec : kOptions)
        if (!std::strcmp(arg, spec.name) || (spec.shortName && !std::strcmp(arg, spec.shortName))) return &spec;
    return nullptr;
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
            const char* value = nullptr;
            if (spec->valueName) {
                if (i + 1 >= argc) {
                    error = std::string("option '") + arg + "' needs " + spec->valueName;
                    return false;
                }
                value = argv[++i];
            }
            if (!spec->apply(options, value)) {
                error = std::string("bad value '") + (value ? value : "") + "' for option '" + arg + "'";
                return false;
            }
        } else if (options.input.empty()) {
            options.input = arg;
        } else {
            error = std::string("unexpected argument '") + arg + "'";
            return false;
        }
    }
    if (options.input.empty()) {
        error = "no input file";
        return false;
    }
    return true;
}

std::string Usage() {
    std::string text = "usage: tlvdec INPUT";
    for (const OptionSpec& spec : kOptions) {
        text += " [";
        text += spec.shortName ? spec.shortName : spec.name;
        if (spec.valueName) text += std::string(" ") + spec.valueName;
        text += "]";
    }
    text += "\n  INPUT  MPEG-2 elementary stream, or program stream (.mpg, .vob, or starting with a pack)\n";
    for (const OptionSpec& spec : kOptions) {
        std::string left = spec.shortName ? std::string(spec.shortName) + ", " + spec.name : spec.name;
        if (spec.valueName) left += std::string(" ") + spec.valueName;
        left.resize(std::max<std::size_t>(left.size() + 2, 24), ' ');
        text += "  " + left + spec.help + "\n";
    }
    return text;
}

}  // namespace tl::tlvdec
