#include "tools/tlvdec/program_stream.h"

namespace tl::tlvdec {
namespace {

bool isStartCode(const std::uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 1; }

std::size_t nextStartCode(const std::uint8_t* data, std::size_t size, std::size_t from) {
    for (std::size_t i = from; i + 3 < size; ++i)
        if (isStartCode(data + i)) return i;
    return size;
}

// The PTS of an MPEG-2 or MPEG-1 PES header, or none.
ReferenceTime packetTime(const std::uint8_t* p, std::size_t length) {
    std::size_t i = 6;
    if (length > 8 && (p[6] & 0xC0) == 0x80) {
        if (!(p[7] & 0x80) || length < 14) return kNoTime;
        i = 9;
    } else {
        while (i < length && p[i] == 0xFF) ++i;             // MPEG-1 stuffing
        if (i < length && (p[i] & 0xC0) == 0x40) i += 2;     // STD buffer
        if (i >= length || (p[i] & 0xE0) != 0x20 || i + 5 > length) return kNoTime;
    }
    const std::uint64_t pts = (std::uint64_t(p[i] >> 1) & 7) << 30 | std::uint64_t(p[i + 1]) << 22 |
                              std::uint64_t(p[i + 2] >> 1) << 15 | std::uint64_t(p[i + 3]) << 7 | (p[i + 4] >> 1);
    return PtsToReferenceTime(pts);
}

}  // namespace

bool StartsWithPackHeader(const std::uint8_t* data, std::size_t size) {
    return size >= 4 && isStartCode(data) && data[3] == 0xBA;
}

std::size_t VideoDemultiplexer::parse(const std::uint8_t* data, std::size_t size, bool atEnd,
                                      std::vector<VideoPacket>& packets) {
    // Where to resume when the data ends inside a packet or a start code.
    const auto incomplete = [&](std::size_t pos) { return atEnd ? size : pos; };
    std::size_t pos = nextStartCode(data, size, 0);
    if (pos == size) return incomplete(size < 3 ? 0 : size - 3);
    while (pos + 4 <= size) {
        const std::uint8_t id = data[pos + 3];
        std::size_t length;
        if (id == 0xBA) {
            if (pos + 5 > size) return incomplete(pos);
            if ((data[pos + 4] & 0xC0) == 0x40) {  // MPEG-2 pack header
                if (pos + 14 > size) return incomplete(pos);
                length = 14 + (data[pos + 13] & 7);
            } else {  // MPEG-1 pack header
                length = 12;
            }
        } else if (id == 0xB9) {  // program end
            length = 4;
        } else if (id >= 0xBB) {  // system header or PES packet
            if (pos + 6 > size) return incomplete(pos);
            const std::size_t declared = std::size_t(data[pos + 4]) << 8 | data[pos + 5];
            if (declared == 0) {
                // Unbounded video packet: it runs to the next pack.
                std::size_t end = pos + 6;
                while ((end = nextStartCode(data, size, end)) < size && data[end + 3] != 0xBA) ++end;
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
            if (id == videoId_) packets.push_back({pos, length, packetTime(data + pos, length)});
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

std::vector<VideoPacket> DemultiplexVideo(const std::uint8_t* data, std::size_t size) {
    std::vector<VideoPacket> packets;
    VideoDemultiplexer().parse(data, size, true, packets);
    return packets;
}

}  // namespace tl::tlvdec
