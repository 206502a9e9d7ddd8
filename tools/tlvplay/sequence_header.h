// The facts of an MPEG-2 sequence header (with its sequence extension) that a
// source needs to describe the stream in its media type, read by the decoder's
// own header parsers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/base/reference_time.h"

namespace tl::tlvplay {

struct SequenceInfo {
    int width = 0;   // horizontal_size, extension bits included
    int height = 0;  // vertical_size
    std::uint32_t bitRate = 0;  // bits per second (bit_rate counts 400 bit/s units)
    bool hasExtension = false;  // false: an MPEG-1 sequence
    int profile = 0;            // profile_and_level_indication's profile (5 Simple ... 1 High)
    int level = 0;              // and its level (10 Low ... 4 High)
    bool progressiveSequence = false;
    int chromaFormat = 1;
    ReferenceTime framePeriod = 0;  // 100-ns units; 0 for a forbidden frame_rate_code
    // The display aspect ratio; a square-sample aspect gives the picture size.
    int aspectX = 0;
    int aspectY = 0;
    // The sequence header and its extensions, start codes included, up to the next
    // start code that is not an extension.
    std::vector<std::uint8_t> bytes;
};

// Parses the sequence header that begins data (00 00 01 B3) and the extensions that
// follow it. False when the header is cut short or gives no picture size.
bool ParseSequenceHeader(const std::uint8_t* data, std::size_t size, SequenceInfo* out);

// Offset of the next start code prefix (00 00 01) at or after from, or size when none.
std::size_t FindStartCode(const std::uint8_t* data, std::size_t size, std::size_t from);

}  // namespace tl::tlvplay
