#include "tools/tlvplay/options.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "tools/common/deinterlace_names.h"

namespace tl::tlvplay {
namespace {

struct RendererEntry {
    const char* name;
    Renderer renderer;
};

constexpr RendererEntry kRenderers[] = {
    {"vmr9", Renderer::Vmr9}, {"vmr7", Renderer::Vmr7}, {"default", Renderer::Default},
    {"null", Renderer::Null}, {"grab", Renderer::Grab}, {"dxva", Renderer::Dxva},
};

// Deinterlace modes in the order of their enumeration values.

bool ParseSeconds(const char* text, double* seconds) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(value > 0) || value > 86400) return false;
    *seconds = value;
    return true;
}

// Comma-separated numbers, decimal or 0x hexadecimal, exactly `count` of them.
bool ParseNumbers(const char* text, int count, long long* out) {
    for (int i = 0; i < count; ++i) {
        char* end = nullptr;
        out[i] = std::strtoll(text, &end, 0);
        if (end == text || *end != (i + 1 < count ? ',' : '\0')) return false;
        text = end + 1;
    }
    return true;
}

int ParseDeinterlace(const std::string& text) {
    if (const int mode = tools::DeinterlaceMode(text.c_str()); mode >= 0) return mode;
    for (const tools::DeinterlaceName& n : tools::kDeinterlaceNames)
        if (text == std::to_string(n.mode)) return n.mode;
    return -1;
}

}  // namespace

const char* Usage() {
    return "usage: tlvplay INPUT [--renderer vmr9|vmr7|default|null|grab DIR|dxva [grab DIR]] [--raw]\n"
           "               [--format yuy2|uyvy|yvyu|yv12|rgb32|rgb24|rgb565|rgb555]\n"
           "               [--deinterlace auto|progressive|weave|hwbob|bob|bob2 (or hardware-bob,\n"
           "                software-bob, software-bob-double)]\n"
           "               [--seconds N] [--pid N] [--properties]\n"
           "               [--osd-text TEXT | --osd-image FILE] [--osd-rect X1,Y1,X2,Y2]\n"
           "               [--osd-colors BACK,FORE]  (colours 0xAARRGGBB)\n"
           "               [--plugin NAME]...  (a plug-in of the filter's list, enabled for this run)\n";
}

const char* RendererName(Renderer renderer) {
    for (const auto& entry : kRenderers)
        if (entry.renderer == renderer) return entry.name;
    return "?";
}

bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* error) {
    Options result;
    bool haveRenderer = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--renderer") {
            if (!hasValue) return *error = "--renderer needs a value", false;
            const std::string name = argv[++i];
            const auto* entry = std::find_if(std::begin(kRenderers), std::end(kRenderers),
                                             [&](const RendererEntry& r) { return name == r.name; });
            if (entry == std::end(kRenderers)) return *error = "unknown renderer '" + name + "'", false;
            result.renderer = entry->renderer;
            haveRenderer = true;
            if (result.renderer == Renderer::Grab) {
                if (i + 1 >= argc) return *error = "--renderer grab needs a directory", false;
                result.grabDirectory = argv[++i];
            }
            if (result.renderer == Renderer::Dxva && i + 1 < argc && std::string(argv[i + 1]) == "grab") {
                if (i + 2 >= argc) return *error = "--renderer dxva grab needs a directory", false;
                result.grabDirectory = argv[i + 2];
                i += 2;
            }
        } else if (arg == "--format") {
            if (!hasValue) return *error = "--format needs a value", false;
            const std::string name = argv[++i];
            result.format = FindOutputFormat(name);
            if (!result.format) return *error = "unknown format '" + name + "'", false;
        } else if (arg == "--deinterlace") {
            if (!hasValue) return *error = "--deinterlace needs a value", false;
            result.deinterlace = ParseDeinterlace(argv[++i]);
            if (result.deinterlace < 0)
                return *error = "unknown deinterlace mode '" + std::string(argv[i]) + "'", false;
        } else if (arg == "--seconds") {
            if (!hasValue) return *error = "--seconds needs a value", false;
            if (!ParseSeconds(argv[++i], &result.seconds))
                return *error = "--seconds needs a positive number, not '" + std::string(argv[i]) + "'", false;
        } else if (arg == "--osd-text" || arg == "--osd-image") {
            if (!hasValue) return *error = arg + " needs a value", false;
            (arg == "--osd-text" ? result.osd.text : result.osd.image) = argv[++i];
        } else if (arg == "--osd-rect") {
            long long v[4];
            if (!hasValue || !ParseNumbers(argv[++i], 4, v))
                return *error = "--osd-rect needs X1,Y1,X2,Y2", false;
            result.osd.rect = {LONG(v[0]), LONG(v[1]), LONG(v[2]), LONG(v[3])};
        } else if (arg == "--osd-colors") {
            long long v[2];
            if (!hasValue || !ParseNumbers(argv[++i], 2, v) || v[0] < 0 || v[1] < 0 || v[0] > 0xFFFFFFFFll ||
                v[1] > 0xFFFFFFFFll)
                return *error = "--osd-colors needs BACK,FORE as 0xAARRGGBB", false;
            result.osd.backColor = std::uint32_t(v[0]);
            result.osd.foreColor = std::uint32_t(v[1]);
        } else if (arg == "--plugin") {
            if (!hasValue) return *error = "--plugin needs a plug-in name", false;
            result.plugins.push_back(argv[++i]);
        } else if (arg == "--pid") {
            long long v[1];
            if (!hasValue || !ParseNumbers(argv[++i], 1, v) || v[0] < 0 || v[0] > 0x1FFF)
                return *error = "--pid needs a packet identifier from 0 to 8191", false;
            result.pid = int(v[0]);
        } else if (arg == "--raw") {
            result.raw = true;
        } else if (arg == "--properties") {
            result.properties = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return *error = "unknown option '" + arg + "'", false;
        } else if (result.input.empty()) {
            result.input = arg;
        } else {
            return *error = "more than one input file ('" + result.input + "', '" + arg + "')", false;
        }
    }
    if (result.input.empty()) return *error = "no input file", false;
    if (!result.osd.text.empty() && !result.osd.image.empty())
        return *error = "--osd-text and --osd-image make one layer: give one of them", false;
    if (result.raw && (!haveRenderer || result.renderer != Renderer::Grab))
        return *error = "--raw only applies to --renderer grab", false;
    *options = result;
    return true;
}

}  // namespace tl::tlvplay
