// The header of a PES packet, in the MPEG-2 syntax of program and transport
// streams or the MPEG-1 syntax of system streams: where the payload starts and
// the presentation time stamp.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

#include "engine/base/reference_time.h"

namespace tl::tools {

struct PesHeader {
    std::size_t payloadOffset = 0;     // from the packet's 00 00 01
    std::optional<std::uint64_t> pts;  // 33 bits, 90 kHz
};

// packet[0, length) begins with 00 00 01 stream_id and its 16-bit length. False
// when the header is cut short or malformed.
bool ParsePesHeader(const std::uint8_t* packet, std::size_t length, PesHeader& header);

// A 90 kHz time stamp in 100-ns units.
inline ReferenceTime PtsToReferenceTime(std::uint64_t pts) { return ReferenceTime(pts * 1000 / 9); }

}  // namespace tl::tools
