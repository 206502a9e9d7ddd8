// Stripping of the container headers an upstream filter may leave in front of
// the video elementary stream: one video PES packet, or a program-stream pack
// header followed by a PES packet. Pure functions over one sample's buffer.
#pragma once
#include <cstdint>

namespace tl {

struct Payload {
    const std::uint8_t* data = nullptr;
    std::int32_t length = 0;
};

// A PES packet starting at buf[0] (00 00 01 stream_id). Only the MPEG-2 PES
// syntax is accepted. False when any length or marker check fails.
bool ParsePesPacket(const std::uint8_t* buf, std::int32_t length, Payload* payload);

// An MPEG-2 pack header starting at buf[0] (00 00 01 BA), followed by a PES
// packet. A pack that carries a system header is refused.
bool ParsePackHeader(const std::uint8_t* buf, std::int32_t length, Payload* payload);

// The elementary-stream bytes of a sample: behind a video PES or pack header
// when one starts the buffer, otherwise the whole buffer. False when the sample
// is to be dropped (malformed header or nothing left).
bool ExtractSamplePayload(const std::uint8_t* buf, std::int32_t length, Payload* payload);

}  // namespace tl
