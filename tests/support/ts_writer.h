// Transport stream pieces around test payloads: packets of one stream, and the
// program association and map tables with their CRC.
#pragma once
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace tl::test {

using TsBytes = std::vector<std::uint8_t>;

// `data` cut into 188-byte packets of `pid`, the first marked as a unit start,
// the last filled up with adaptation-field stuffing.
inline TsBytes tsPackets(int pid, const TsBytes& data, int& continuity) {
    TsBytes out;
    for (std::size_t at = 0; at < data.size(); at += 184) {
        const std::size_t n = std::min<std::size_t>(184, data.size() - at);
        const std::uint8_t head[4] = {0x47, std::uint8_t((at == 0 ? 0x40 : 0) | pid >> 8), std::uint8_t(pid),
                                      std::uint8_t((n < 184 ? 0x30 : 0x10) | (continuity++ & 15))};
        out.insert(out.end(), head, head + 4);
        if (n < 184) {
            out.push_back(std::uint8_t(183 - n));
            if (n < 183) {
                out.push_back(0);
                out.insert(out.end(), 182 - n, 0xFF);
            }
        }
        out.insert(out.end(), data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(at + n));
    }
    return out;
}

// The packets as 192-byte packets: a four-byte header of arbitrary bytes before each.
inline TsBytes packets192(const TsBytes& ts) {
    TsBytes out;
    for (std::size_t at = 0; at < ts.size(); at += 188) {
        out.insert(out.end(), {1, 2, 3, 4});
        out.insert(out.end(), ts.begin() + std::ptrdiff_t(at), ts.begin() + std::ptrdiff_t(at + 188));
    }
    return out;
}

// A table section (syntax indicator set, version 0) with its CRC-32, behind a
// pointer field, as the payload of a unit start.
inline TsBytes psiSection(std::uint8_t tableId, int idExtension, const TsBytes& body) {
    const std::size_t length = 5 + body.size() + 4;
    TsBytes s = {0, tableId, std::uint8_t(0xB0 | length >> 8), std::uint8_t(length), std::uint8_t(idExtension >> 8),
                 std::uint8_t(idExtension), 0xC1, 0, 0};
    for (std::uint8_t b : body) s.push_back(b);
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 1; i < s.size(); ++i) {
        crc ^= std::uint32_t(s[i]) << 24;
        for (int bit = 0; bit < 8; ++bit) crc = crc & 0x80000000u ? crc << 1 ^ 0x04C11DB7u : crc << 1;
    }
    for (int shift = 24; shift >= 0; shift -= 8) s.push_back(std::uint8_t(crc >> shift));
    return s;
}

// Program association: (program number, map PID) pairs.
inline TsBytes patSection(const std::vector<std::pair<int, int>>& programs) {
    TsBytes body;
    for (auto [number, pid] : programs)
        body.insert(body.end(), {std::uint8_t(number >> 8), std::uint8_t(number), std::uint8_t(0xE0 | pid >> 8),
                                 std::uint8_t(pid)});
    return psiSection(0x00, 1, body);
}

// Program map: (stream type, PID) pairs, each with a two-byte descriptor.
inline TsBytes pmtSection(int number, const std::vector<std::pair<int, int>>& streams) {
    TsBytes body = {0xE1, 0x00, 0xF0, 0x00};  // PCR PID 0x100, no program descriptors
    for (auto [type, pid] : streams)
        body.insert(body.end(), {std::uint8_t(type), std::uint8_t(0xE0 | pid >> 8), std::uint8_t(pid), 0xF0, 2, 0x52,
                                 0});
    return psiSection(0x02, number, body);
}

}  // namespace tl::test
