// Program stream pieces around test payloads: PES packets and pack headers.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace tl::test {

inline std::vector<std::uint8_t> cat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A PTS or DTS field: the 4-bit prefix given in `prefix`, 33 bits, marker bits.
inline std::vector<std::uint8_t> timeStamp(std::uint8_t prefix, std::uint64_t t) {
    return {std::uint8_t(prefix | ((t >> 29) & 0x0E)), std::uint8_t(t >> 22), std::uint8_t(((t >> 14) & 0xFE) | 1),
            std::uint8_t(t >> 7), std::uint8_t(((t << 1) & 0xFE) | 1)};
}

// 00 00 01 id, PES_packet_length, the two flag bytes, PES_header_data_length,
// the optional fields and stuffing, then the payload. Negative lengths are
// written as they truly are.
inline std::vector<std::uint8_t> pesPacket(std::uint8_t id, std::uint8_t flags1, std::uint8_t flags2,
                                           const std::vector<std::uint8_t>& header,
                                           const std::vector<std::uint8_t>& payload, int lengthField = -1,
                                           int headerLength = -1) {
    const int h = headerLength < 0 ? int(header.size()) : headerLength;
    const int p = lengthField < 0 ? 3 + int(header.size()) + int(payload.size()) : lengthField;
    return cat({{0, 0, 1, id, std::uint8_t(p >> 8), std::uint8_t(p)}, {flags1, flags2, std::uint8_t(h)}, header,
                payload});
}

// An MPEG-2 PES packet, with a PTS when pts >= 0.
inline std::vector<std::uint8_t> pesPacket(std::uint8_t id, const std::vector<std::uint8_t>& payload,
                                           std::int64_t pts = -1) {
    if (pts < 0) return pesPacket(id, 0x80, 0x00, {}, payload);
    return pesPacket(id, 0x80, 0x80, timeStamp(0x21, std::uint64_t(pts)), payload);
}

// An MPEG-2 pack header (SCR 0) with `stuffing` bytes of stuffing, then `rest`.
inline std::vector<std::uint8_t> packHeader(int stuffing = 0, const std::vector<std::uint8_t>& rest = {},
                                            bool goodMarkers = true) {
    std::vector<std::uint8_t> b = {0,    0,    1,    0xBA, 0x44, 0x00, std::uint8_t(goodMarkers ? 0x04 : 0x00),
                                   0x00, 0x04, 0x01, 0x01, 0x89, 0xC3, std::uint8_t(0xF8 | stuffing)};
    b.insert(b.end(), std::size_t(stuffing), 0xFF);
    return cat({b, rest});
}

}  // namespace tl::test
