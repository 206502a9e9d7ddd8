// The Deinterlace setting's names on both tools' command lines: each mode has a
// short name and a long one, and both tools take either.
#pragma once
#include <cstring>
#include <iterator>

#include "engine/framework/deinterlace.h"

namespace tl::tools {

struct DeinterlaceName {
    const char* name;
    const char* longName;
    int mode;  // tagDEINTERLACE
};

inline constexpr DeinterlaceName kDeinterlaceNames[] = {
    {"auto", "auto", DEINTERLACE_AUTO},
    {"progressive", "progressive", DEINTERLACE_PROGRESSIVE},
    {"weave", "weave", DEINTERLACE_WEAVE},
    {"hwbob", "hardware-bob", DEINTERLACE_HARDWARE_BOB},
    {"bob", "software-bob", DEINTERLACE_SOFTWARE_BOB},
    {"bob2", "software-bob-double", DEINTERLACE_SOFTWARE_BOB_DOUBLE_RATE},
};

// The mode a name stands for, or -1.
inline int DeinterlaceMode(const char* text) {
    for (const DeinterlaceName& n : kDeinterlaceNames)
        if (!std::strcmp(text, n.name) || !std::strcmp(text, n.longName)) return n.mode;
    return -1;
}

}  // namespace tl::tools
