// A demultiplexer for MPEG program streams (.mpg, .vob): finds the PES packets of
// the first video stream, each with its presentation time stamp, and notes which
// of them start a sequence header, where playback can begin after a seek.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "tools/tlvplay/sequence_header.h"

namespace tl::tlvplay {

struct VideoPacket {
    std::uint64_t offset = 0;   // of the packet's 00 00 01 Ex
    std::uint32_t length = 0;   // whole packet, header included
    std::optional<std::uint64_t> pts;  // 33-bit, 90 kHz
    bool sequenceHeader = false;       // a sequence header starts in its payload
};

struct ProgramStreamIndex {
    std::vector<VideoPacket> packets;
    std::uint8_t streamId = 0;
    // The first sequence header of the video stream, when one was found.
    std::optional<SequenceInfo> sequence;
};

// Reads the stream from the start of f. Bytes between packets that do not begin
// with a start code are skipped to the next one; a packet cut short by the end of
// the file ends the index.
ProgramStreamIndex IndexProgramStream(std::FILE* f);

// Where a PES packet's payload starts and its PTS, for both the MPEG-2 and the
// MPEG-1 header syntax; the payload offset is 0 when the header is malformed.
struct PesHeader {
    std::size_t payloadOffset = 0;
    std::optional<std::uint64_t> pts;
};
PesHeader ParsePesHeader(const std::uint8_t* packet, std::size_t length);

}  // namespace tl::tlvplay
