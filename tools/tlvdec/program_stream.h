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

// Finds the video PES packets of the first video stream (stream_id E0 to EF)
// in stream order, over a stream that arrives piece by piece. Bytes that belong
// to no recognisable packet are skipped up to the next start code.
class VideoDemultiplexer {
public:
    // Appends the packets that lie wholly inside data[0, size) and returns how
    // many bytes were used up. The bytes from there on must be offered again,
    // with more appended, unless atEnd says there are no more: then a packet
    // cut short by the end is dropped and everything counts as used.
    std::size_t parse(const std::uint8_t* data, std::size_t size, bool atEnd, std::vector<VideoPacket>& packets);

private:
    int videoId_ = -1;
};

// The video packets of a whole program stream held in memory.
std::vector<VideoPacket> DemultiplexVideo(const std::uint8_t* data, std::size_t size);

// A 90 kHz time stamp in 100-ns units.
inline ReferenceTime PtsToReferenceTime(std::uint64_t pts) { return ReferenceTime(pts * 1000 / 9); }

}  // namespace tl::tlvdec
