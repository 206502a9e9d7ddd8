#include "tools/tlvdec/y4m_header.h"

#include <numeric>

namespace tl::tlvdec {
namespace {

struct Rate {
    ReferenceTime period;
    std::int64_t num, den;
};

// The MPEG-2 frame rates, whose periods in 100-ns units are rounded.
constexpr Rate kRates[] = {
    {417083, 24000, 1001}, {417084, 24000, 1001}, {416667, 24, 1},       {400000, 25, 1},
    {333667, 30000, 1001}, {333666, 30000, 1001}, {333333, 30, 1},       {200000, 50, 1},
    {166833, 60000, 1001}, {166834, 60000, 1001}, {166667, 60, 1},
};

const char* chromaTag(int chromaFormat) {
    switch (chromaFormat) {
    case 2: return "422";
    case 3: return "444";
    default: return "420mpeg2";  // chroma sited between the luma rows, left-aligned
    }
}

}  // namespace

std::string Y4mHeader(const Y4mFormat& f) {
    std::int64_t num = 0, den = 0;
    for (const Rate& r : kRates)
        if (r.period == f.framePeriod) num = r.num, den = r.den;
    if (!num && f.framePeriod > 0) num = 10000000, den = f.framePeriod;
    if (num) {
        const std::int64_t g = std::gcd(num, den);
        num /= g, den /= g;
    }
    // The sample aspect ratio that shows the picture at its display aspect ratio.
    std::int64_t sarX = std::int64_t(f.aspectX) * f.height, sarY = std::int64_t(f.aspectY) * f.width;
    if (sarX > 0 && sarY > 0) {
        const std::int64_t g = std::gcd(sarX, sarY);
        sarX /= g, sarY /= g;
    } else {
        sarX = sarY = 0;
    }
    return "YUV4MPEG2 W" + std::to_string(f.width) + " H" + std::to_string(f.height) + " F" + std::to_string(num) +
           ":" + std::to_string(den) + " I" + f.interlace + " A" + std::to_string(sarX) + ":" + std::to_string(sarY) +
           " C" + chromaTag(f.chromaFormat) + "\n";
}

}  // namespace tl::tlvdec
