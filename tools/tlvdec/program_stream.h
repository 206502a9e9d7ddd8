// Splits an MPEG program stream into the packets of its first video stream,
// as a demultiplexer hands them to a video decoder: one sample per video PES
// packet, header included, with the PES time stamp as the sample time.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/framework/reference_time.h"

namespace tl::tlvdec {

struct VideoPacket {
    std::size_t offset = 0;  // of the packet's 00 00 01 Ex in the stream
    std::size_t length = 0;  // whole packet, header included
    ReferenceTime start = kNoTime;  // PTS in 100-ns units, or none
};

// True when the data begins with a pack start code.
bool StartsWithPackHeader(const std::uint8_t* data, std::size_t size);

// The video PES packets of the first video stream (stream_id E0 to EF) in
// stream order. Bytes that belong to no recognisable packet are skipped up to
// the next start code; a packet cut short by the end of the data is dropped.
std::vector<VideoPacket> DemultiplexVideo(const std::uint8_t* data, std::size_t size);

// A 90 kHz time stamp in 100-ns units.
inline ReferenceTime PtsToReferenceTime(std::uint64_t pts) { return ReferenceTime(pts * 1000 / 9); }

}  // namespace tl::tlvdec
