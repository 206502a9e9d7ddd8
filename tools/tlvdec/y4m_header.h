// The stream header of a YUV4MPEG2 file: what a player needs to show the planar
// pictures that follow it, each behind a FRAME line.
#pragma once
#include <cstdint>
#include <string>

#include "engine/base/reference_time.h"

namespace tl::tlvdec {

struct Y4mFormat {
    std::int32_t width = 0, height = 0;
    ReferenceTime framePeriod = 0;     // 100-ns units; 0 when unknown
    std::int32_t aspectX = 0, aspectY = 0;  // picture (display) aspect ratio; 0 when unknown
    int chromaFormat = 1;              // 1 4:2:0, 2 4:2:2, 3 4:4:4
    char interlace = 'p';              // p progressive, t top field first, b bottom field first
};

// "YUV4MPEG2 W.. H.. F..:.. I. A..:.. C...\n"
std::string Y4mHeader(const Y4mFormat& format);

}  // namespace tl::tlvdec
