// The output formats' names on both tools' command lines (tlvdec -f, tlvplay
// --format) and in what they print, indexed by the output format code.
#pragma once
#include <iterator>

#include "convert/dispatch.h"

namespace tl::tools {

struct OutputFormatName {
    const char* name;   // as typed: yuy2
    const char* label;  // as printed: YUY2
    int code;           // OUTPUT_*
};

inline constexpr OutputFormatName kOutputFormatNames[] = {
    {"yuy2", "YUY2", OUTPUT_YUY2},       {"uyvy", "UYVY", OUTPUT_UYVY},     {"yvyu", "YVYU", OUTPUT_YVYU},
    {"yv12", "YV12", OUTPUT_YV12},       {"rgb32", "RGB32", OUTPUT_RGB32},  {"rgb24", "RGB24", OUTPUT_RGB24},
    {"rgb565", "RGB565", OUTPUT_RGB565}, {"rgb555", "RGB555", OUTPUT_RGB555},
};

constexpr bool IndexedByCode() {
    for (std::size_t i = 0; i < std::size(kOutputFormatNames); ++i)
        if (kOutputFormatNames[i].code != int(i)) return false;
    return true;
}
static_assert(std::size(kOutputFormatNames) == OUTPUT_RGB555 + 1 && IndexedByCode(),
              "one name per negotiable output format, in code order");

// The code a name stands for (either spelling, any case), or -1.
inline int OutputFormatCodeOf(const char* text) {
    for (const OutputFormatName& n : kOutputFormatNames) {
        std::size_t i = 0;
        while (n.name[i] && text[i] && (text[i] | 0x20) == n.name[i]) ++i;
        if (!n.name[i] && !text[i]) return n.code;
    }
    return -1;
}

}  // namespace tl::tools
