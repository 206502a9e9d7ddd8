// The PES and pack header stripping on one arbitrary sample buffer. Beyond the
// sanitizers' view of the buffer, the payload must lie inside the buffer, be
// non-empty, and end exactly where PES_packet_length says the packet ends.
#include <cstddef>
#include <cstdint>

#include "engine/framework/pes_parser.h"
#include "fuzz/fuzz_check.h"

namespace {

std::uint32_t be16(const std::uint8_t* p) { return std::uint32_t(p[0]) << 8 | p[1]; }

std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// Packets of the stream ids without a PES header extension may be empty; the
// sample-level stripping refuses those. Every payload byte is read, so an
// out-of-range payload shows up under ASan too.
unsigned checkInside(const tl::Payload& p, const std::uint8_t* buf, std::int32_t length, std::int32_t least) {
    FUZZ_CHECK(p.length >= least, "payload shorter than allowed");
    FUZZ_CHECK(p.data >= buf && p.data + p.length <= buf + length, "payload outside the sample");
    unsigned sum = 0;
    for (std::int32_t i = 0; i < p.length; ++i) sum += p.data[i];
    return sum;
}

// End of the packet that starts at pes (PES_packet_length 0: the rest of the buffer).
const std::uint8_t* packetEnd(const std::uint8_t* pes, const std::uint8_t* bufferEnd) {
    const std::uint32_t declared = be16(pes + 4);
    return declared == 0 ? bufferEnd : pes + 6 + declared;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 0x7FFFFFFF) return 0;
    const auto length = static_cast<std::int32_t>(size);
    volatile unsigned sink = 0;

    tl::Payload pes;
    if (tl::ParsePesPacket(data, length, &pes)) {
        sink = sink + checkInside(pes, data, length, 0);
        FUZZ_CHECK(pes.data + pes.length == packetEnd(data, data + size), "PES payload does not end the packet");
    }

    tl::Payload pack;
    if (tl::ParsePackHeader(data, length, &pack)) {
        sink = sink + checkInside(pack, data, length, 0);
        const std::uint8_t* inner = data + 14 + (data[13] & 7);
        FUZZ_CHECK(be32(inner) != 0x000001BBu, "pack with a system header accepted");
        FUZZ_CHECK(pack.data + pack.length == packetEnd(inner, data + size), "pack payload does not end the packet");
    }

    tl::Payload sample;
    if (tl::ExtractSamplePayload(data, length, &sample)) {
        sink = sink + checkInside(sample, data, length, 1);
        const std::uint32_t lead = size >= 4 ? be32(data) : 0;
        if ((lead & 0xFFFFFFF0u) == 0x000001E0u) {
            FUZZ_CHECK(sample.data == pes.data && sample.length == pes.length, "sample and PES payload differ");
        } else if (lead == 0x000001BAu) {
            FUZZ_CHECK(sample.data == pack.data && sample.length == pack.length, "sample and pack payload differ");
        } else {
            FUZZ_CHECK(sample.data == data && sample.length == length, "elementary stream data was cut");
        }
    }
    return 0;
}
