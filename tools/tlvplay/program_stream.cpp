#include "tools/tlvplay/program_stream.h"

#include "tools/tlvplay/file_window.h"

namespace tl::tlvplay {
namespace {

constexpr std::uint8_t kPackStartCode = 0xBA;
constexpr std::uint8_t kProgramEndCode = 0xB9;
constexpr std::uint8_t kSystemHeaderCode = 0xBB;
constexpr std::uint8_t kSequenceHeaderCode = 0xB3;
// A sequence header with both matrices and its extensions fits easily.
constexpr std::size_t kSequenceGatherLimit = 4096;

bool IsPrefix(const std::uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 1; }
bool IsVideoStream(std::uint8_t id) { return (id & 0xF0) == 0xE0; }

std::optional<std::uint64_t> ReadTimeStamp(const std::uint8_t* p) {
    // '001x' prefix nibble and three marker bits.
    if (!(p[0] & 1) || !(p[2] & 1) || !(p[4] & 1)) return std::nullopt;
    return (std::uint64_t(p[0] >> 1) & 7) << 30 | std::uint64_t(p[1]) << 22 | std::uint64_t(p[2] >> 1) << 15 |
           std::uint64_t(p[3]) << 7 | std::uint64_t(p[4] >> 1);
}

bool ContainsSequenceHeader(const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = FindStartCode(data, size, 0); i + 4 <= size; i = FindStartCode(data, size, i + 1))
        if (data[i + 3] == kSequenceHeaderCode) return true;
    return false;
}

}  // namespace

PesHeader ParsePesHeader(const std::uint8_t* p, std::size_t length) {
    PesHeader header;
    if (length < 9) return header;
    if ((p[6] & 0xC0) == 0x80) {  // MPEG-2 syntax
        const std::size_t payload = 9 + std::size_t(p[8]);
        if (payload > length) return header;
        if ((p[7] & 0x80) && payload >= 14) header.pts = ReadTimeStamp(p + 9);
        header.payloadOffset = payload;
        return header;
    }
    std::size_t i = 6;
    while (i < length && p[i] == 0xFF) ++i;            // stuffing
    if (i < length && (p[i] & 0xC0) == 0x40) i += 2;    // STD buffer size
    if (i >= length) return header;
    if ((p[i] & 0xF0) == 0x20 && i + 5 <= length) {
        header.pts = ReadTimeStamp(p + i);
        i += 5;
    } else if ((p[i] & 0xF0) == 0x30 && i + 10 <= length) {
        header.pts = ReadTimeStamp(p + i);
        i += 10;
    } else if (p[i] == 0x0F) {
        i += 1;
    } else {
        return header;
    }
    header.payloadOffset = i <= length ? i : 0;
    return header;
}

ProgramStreamIndex IndexProgramStream(std::FILE* f) {
    ProgramStreamIndex index;
    FileWindow window(f);
    std::vector<std::uint8_t> gathered;  // video payload until the first sequence header parses
    bool haveVideo = false;
    while (window.Ensure(4)) {
        const std::uint8_t* d = window.Data();
        if (!IsPrefix(d)) {
            // Lost sync: move to the next start code prefix, keeping a partial one.
            const std::size_t next = FindStartCode(d, window.Available(), 1);
            const std::size_t step = next < window.Available() ? next : window.Available() - 2;
            window.Skip(step);
            continue;
        }
        const std::uint8_t id = d[3];
        std::size_t length;
        if (id == kPackStartCode) {
            if (!window.Ensure(14)) break;
            d = window.Data();
            length = (d[4] & 0xC0) == 0x40 ? 14 + (d[13] & 7) : 12;
        } else if (id == kProgramEndCode) {
            length = 4;
        } else if (id >= kSystemHeaderCode) {
            if (!window.Ensure(6)) break;
            d = window.Data();
            length = 6 + (std::size_t(d[4]) << 8 | d[5]);
        } else {
            window.Skip(1);  // a stray start code of an elementary stream
            continue;
        }
        const bool video = IsVideoStream(id) && (!haveVideo || id == index.streamId);
        if (video) {
            if (!window.Ensure(length)) break;
            d = window.Data();
            const PesHeader header = ParsePesHeader(d, length);
            if (header.payloadOffset != 0) {
                haveVideo = true;
                index.streamId = id;
                const std::uint8_t* payload = d + header.payloadOffset;
                const std::size_t payloadSize = length - header.payloadOffset;
                VideoPacket packet;
                packet.offset = window.Position();
                packet.length = std::uint32_t(length);
                packet.pts = header.pts;
                packet.sequenceHeader = ContainsSequenceHeader(payload, payloadSize);
                index.packets.push_back(packet);
                if (!index.sequence && gathered.size() < kSequenceGatherLimit) {
                    gathered.insert(gathered.end(), payload, payload + payloadSize);
                    for (std::size_t at = FindStartCode(gathered.data(), gathered.size(), 0);
                         at < gathered.size(); at = FindStartCode(gathered.data(), gathered.size(), at + 1)) {
                        SequenceInfo info;
                        if (ParseSequenceHeader(gathered.data() + at, gathered.size() - at, &info)) {
                            index.sequence = std::move(info);
                            break;
                        }
                    }
                }
            }
        }
        if (!window.Skip(length)) break;
    }
    return index;
}

}  // namespace tl::tlvplay
