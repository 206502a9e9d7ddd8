#include "tools/tlvplay/sequence_header.h"

#include <utility>

#include "engine/framework/bit_reader.h"
#include "engine/framework/headers.h"
#include "engine/framework/stream_state.h"

namespace tl::tlvplay {
namespace {

// The bytes given are all there is: a parser that reads past them fails.
class NothingMore final : public SampleSource {
public:
    HResult fetchNextSample(const std::uint8_t*&, const std::uint8_t*&) override { return hr::e_abort; }
};

bool IsStartCode(const std::uint8_t* data, std::size_t size, std::size_t at, std::uint32_t code) {
    return at + 4 <= size && data[at] == 0 && data[at + 1] == 0 && data[at + 2] == 1 && data[at + 3] == code;
}

// A reader over data[from, to), whose bytes it reads in place.
BitReader ReaderOver(const std::uint8_t* data, std::size_t from, std::size_t to, SampleSource& source) {
    BitReader reader;
    reader.current = data + from;
    reader.end = data + to;
    reader.source = &source;
    return reader;
}

}  // namespace

std::size_t FindStartCode(const std::uint8_t* data, std::size_t size, std::size_t from) {
    for (std::size_t i = from; i + 3 <= size; ++i)
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1) return i;
    return size;
}

bool ParseSequenceHeader(const std::uint8_t* data, std::size_t size, SequenceInfo* out) {
    if (!IsStartCode(data, size, 0, SEQUENCE_HEADER_CODE)) return false;
    NothingMore source;
    StreamState state;
    ResetStreamState(state);
    BitReader header = ReaderOver(data, 4, size, source);
    if (tl::ParseSequenceHeader(header, state) != hr::ok) return false;
    if (state.horizontal_size == 0 || state.vertical_size == 0) return false;
    // The header ends on a byte boundary, with whatever the reader holds beyond it
    // still in its window.
    std::size_t end = std::size_t(header.current - data) - std::size_t(header.count / 8);

    bool hasExtension = false;
    while (IsStartCode(data, size, end, EXTENSION_START_CODE)) {
        const std::size_t next = FindStartCode(data, size, end + 4);
        BitReader extension = ReaderOver(data, end + 4, next, source);
        if (!hasExtension && extension.ensureBits(4) == hr::ok && extension.readBits(4) == SEQUENCE_EXTENSION_ID)
            hasExtension = ParseSequenceExtension(extension, state) == hr::ok;
        end = next;
    }

    SequenceInfo info;
    info.width = state.horizontal_size;
    info.height = state.vertical_size;
    info.bitRate = std::uint32_t(state.bit_rate) * 400u;
    info.hasExtension = hasExtension;
    info.profile = state.profile;
    info.level = state.level;
    info.progressiveSequence = state.progressive_sequence != 0;
    if (hasExtension) info.chromaFormat = state.chroma_format;
    info.framePeriod = state.frame_period;
    info.aspectX = state.aspect_x;
    info.aspectY = state.aspect_y;
    info.bytes.assign(data, data + end);
    *out = std::move(info);
    return true;
}

}  // namespace tl::tlvplay
