// Finds the video PES packets of the first video stream (stream_id E0 to EF) of
// an MPEG-2 program stream or an MPEG-1 system stream that arrives piece by
// piece. Bytes that belong to no recognisable packet are skipped up to the next
// start code.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tl::tools {

struct PacketSpan {
    std::size_t offset = 0;  // of the packet's 00 00 01 Ex in the data given
    std::size_t length = 0;  // whole packet, header included
};

class ProgramDemuxer {
public:
    // Appends the video packets that lie wholly inside data[0, size) and returns
    // how many bytes were used up. The bytes from there on must be offered again,
    // with more appended, unless atEnd says there are no more: then a packet cut
    // short by the end is dropped and everything counts as used.
    std::size_t parse(const std::uint8_t* data, std::size_t size, bool atEnd, std::vector<PacketSpan>& packets);

private:
    int videoId_ = -1;
};

}  // namespace tl::tools
