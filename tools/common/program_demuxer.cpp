#include "tools/common/program_demuxer.h"

namespace tl::tools {
namespace {

constexpr std::uint8_t kPackStartCode = 0xBA;
constexpr std::uint8_t kProgramEndCode = 0xB9;
constexpr std::uint8_t kSystemHeaderCode = 0xBB;

bool isStartCode(const std::uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 1; }

std::size_t nextStartCode(const std::uint8_t* data, std::size_t size, std::size_t from) {
    for (std::size_t i = from; i + 3 < size; ++i)
        if (isStartCode(data + i)) return i;
    return size;
}

}  // namespace

std::size_t ProgramDemuxer::parse(const std::uint8_t* data, std::size_t size, bool atEnd,
                                  std::vector<PacketSpan>& packets) {
    // Where to resume when the data ends inside a packet or a start code.
    const auto incomplete = [&](std::size_t pos) { return atEnd ? size : pos; };
    std::size_t pos = nextStartCode(data, size, 0);
    if (pos == size) return incomplete(size < 3 ? 0 : size - 3);
    while (pos + 4 <= size) {
        const std::uint8_t id = data[pos + 3];
        std::size_t length;
        if (id == kPackStartCode) {
            if (pos + 5 > size) return incomplete(pos);
            if ((data[pos + 4] & 0xC0) == 0x40) {  // MPEG-2 pack header
                if (pos + 14 > size) return incomplete(pos);
                length = 14 + (data[pos + 13] & 7);
            } else {  // MPEG-1 pack header
                length = 12;
            }
        } else if (id == kProgramEndCode) {
            length = 4;
        } else if (id >= kSystemHeaderCode) {  // system header or PES packet
            if (pos + 6 > size) return incomplete(pos);
            const std::size_t declared = std::size_t(data[pos + 4]) << 8 | data[pos + 5];
            if (declared == 0) {
                // Unbounded video packet: it runs to the next pack.
                std::size_t end = pos + 6;
                while ((end = nextStartCode(data, size, end)) < size && data[end + 3] != kPackStartCode) ++end;
                if (end == size && !atEnd) return pos;
                length = end - pos;
            } else {
                length = 6 + declared;
            }
        } else {
            const std::size_t next = nextStartCode(data, size, pos + 1);
            if (next == size) return incomplete(size - 3);
            pos = next;
            continue;
        }
        if (pos + length > size) return incomplete(pos);
        if (id >= 0xE0 && id <= 0xEF) {
            if (videoId_ < 0) videoId_ = id;
            if (id == videoId_) packets.push_back({pos, length});
        }
        pos += length;
        if (pos + 3 < size && !isStartCode(data + pos)) {
            const std::size_t next = nextStartCode(data, size, pos);
            if (next == size) return incomplete(size - 3);
            pos = next;
        }
    }
    return incomplete(pos);
}

}  // namespace tl::tools
