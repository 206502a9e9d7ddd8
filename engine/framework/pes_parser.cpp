#include "engine/framework/pes_parser.h"

namespace tl {
namespace {

std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

std::uint32_t be16(const std::uint8_t* p) { return std::uint32_t(p[0]) << 8 | p[1]; }

// Stream ids whose packets carry no PES header extension: program stream map,
// padding, private stream 2, ECM, EMM, DSMCC, H.222.1 type E, directory.
bool hasBarePayload(std::uint8_t streamId) {
    switch (streamId) {
    case 0xBC: case 0xBE: case 0xBF: case 0xF0: case 0xF1: case 0xF2: case 0xF8: case 0xFF:
        return true;
    default:
        return false;
    }
}

// A 33-bit time stamp field: prefix nibble and marker bits at 32, 16 and 0.
bool validTimeStamp(const std::uint8_t* p, std::uint8_t prefix) {
    if ((p[0] & 0xF1) != prefix) return false;
    return (be32(p + 1) & 0x00010001u) == 0x00010001u;
}

}  // namespace

bool ParsePesPacket(const std::uint8_t* buf, std::int32_t length, Payload* payload) {
    if (length < 6) return false;
    const std::uint8_t streamId = buf[3];
    std::int32_t packetLength = std::int32_t(be16(buf + 4));
    if (packetLength == 0)
        packetLength = length - 6;
    else if (packetLength > length - 6)
        return false;

    if (hasBarePayload(streamId)) {
        payload->data = buf + 6;
        payload->length = packetLength;
        return true;
    }

    if (packetLength < 3) return false;
    if ((buf[6] & 0xC0) != 0x80) return false;  // MPEG-1 packets lack the '10' prefix
    const std::uint8_t flags = buf[7];
    const std::int32_t headerLength = buf[8];
    const std::uint8_t* const optional = buf + 9;
    std::int32_t used = 0;
    // Bytes at optional[k] exist inside the packet while k < packetLength - 3.
    auto fits = [&](std::int32_t bytes) { return packetLength >= used + 3 + bytes; };

    const int ptsDtsFlags = flags >> 6;
    if (ptsDtsFlags == 1) return false;
    if (ptsDtsFlags & 2) {
        if (!fits(5)) return false;
        if (!validTimeStamp(optional, ptsDtsFlags == 3 ? 0x31 : 0x21)) return false;
        used += 5;
    }
    if (flags & 0x40) {
        if (!fits(5)) return false;
        if (!validTimeStamp(optional + used, 0x11)) return false;
        used += 5;
    }
    if (flags & 0x20) {
        if (!fits(6)) return false;
        used += 6;
    }
    if (flags & 0x10) {
        if (!fits(3)) return false;
        used += 3;
    }
    if (flags & 0x08) {
        if (!fits(1)) return false;
        used += 1;
    }
    if (flags & 0x04) {
        if (!fits(1)) return false;
        used += 1;
    }
    if (flags & 0x02) {
        if (!fits(2)) return false;
        used += 2;
    }
    if (flags & 0x01) {
        if (!fits(1)) return false;
        const std::uint8_t extensionFlags = optional[used];
        used += 1;
        if (extensionFlags & 0x80) used += 16;  // PES_private_data
        if (extensionFlags & 0x40) {             // pack_header_field
            if (!fits(1)) return false;
            used += 1 + optional[used];
        }
        if (extensionFlags & 0x20) used += 2;  // program_packet_sequence_counter
        if (extensionFlags & 0x10) used += 2;  // P-STD buffer
        if (extensionFlags & 0x01) {           // PES_extension_field
            if (!fits(1)) return false;
            used += 1 + (optional[used] & 0x7F);
        }
    }
    if (headerLength - used < 0) return false;

    const std::int32_t payloadLength = packetLength - headerLength - 3;
    if (payloadLength < 1 || payloadLength > length - 9 - headerLength) return false;
    payload->data = optional + headerLength;
    payload->length = payloadLength;
    return true;
}

bool ParsePackHeader(const std::uint8_t* buf, std::int32_t length, Payload* payload) {
    if (length < 14) return false;
    if ((be32(buf + 4) & 0xC4000400u) != 0x44000400u) return false;  // '01' prefix, SCR markers
    if ((be16(buf + 8) & 0x0401u) != 0x0401u) return false;          // SCR and SCR_ext markers
    if ((be32(buf + 10) & 0x0300u) != 0x0300u) return false;         // program_mux_rate markers
    const std::int32_t next = 14 + (buf[13] & 7);
    if (length - next < 4) return false;
    if (be32(buf + next) == 0x000001BBu) return false;  // system header
    return ParsePesPacket(buf + next, length - next, payload);
}

bool ExtractSamplePayload(const std::uint8_t* buf, std::int32_t length, Payload* payload) {
    payload->data = buf;
    payload->length = length;
    if (length >= 4) {
        const std::uint32_t v = be32(buf);
        bool parsed = true;
        if ((v & 0xFFFFFFF0u) == 0x000001E0u)
            parsed = ParsePesPacket(buf, length, payload);
        else if (v == 0x000001BAu)
            parsed = ParsePackHeader(buf, length, payload);
        if (!parsed) return false;
    }
    return payload->length > 0;
}

}  // namespace tl
