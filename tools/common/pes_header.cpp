#include "tools/common/pes_header.h"

namespace tl::tools {
namespace {

std::optional<std::uint64_t> readTimeStamp(const std::uint8_t* p) {
    // Three marker bits; a stamp without them is not trusted.
    if (!(p[0] & 1) || !(p[2] & 1) || !(p[4] & 1)) return std::nullopt;
    return (std::uint64_t(p[0] >> 1) & 7) << 30 | std::uint64_t(p[1]) << 22 | std::uint64_t(p[2] >> 1) << 15 |
           std::uint64_t(p[3]) << 7 | std::uint64_t(p[4] >> 1);
}

}  // namespace

bool ParsePesHeader(const std::uint8_t* p, std::size_t length, PesHeader& header) {
    header = {};
    if (length < 9) return false;
    if ((p[6] & 0xC0) == 0x80) {  // MPEG-2 syntax
        const std::size_t payload = 9 + std::size_t(p[8]);
        if (payload > length) return false;
        if ((p[7] & 0x80) && payload >= 14) header.pts = readTimeStamp(p + 9);
        header.payloadOffset = payload;
        return true;
    }
    std::size_t i = 6;
    while (i < length && i < 6 + 16 && p[i] == 0xFF) ++i;  // at most 16 stuffing bytes
    if (i < length && (p[i] & 0xC0) == 0x40) i += 2;        // STD buffer size
    if (i >= length) return false;
    if ((p[i] & 0xF0) == 0x20 && i + 5 <= length) {
        header.pts = readTimeStamp(p + i);
        i += 5;
    } else if ((p[i] & 0xF0) == 0x30 && i + 10 <= length) {
        header.pts = readTimeStamp(p + i);
        i += 10;
    } else if (p[i] == 0x0F) {
        i += 1;
    } else {
        return false;
    }
    header.payloadOffset = i;
    return true;
}

}  // namespace tl::tools
