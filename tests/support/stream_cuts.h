// Cutting streams into the samples an upstream filter would send, and finding
// their start codes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tl::test {

using Bytes = std::vector<std::uint8_t>;

struct StartCode {
    std::size_t offset;
    std::uint8_t code;
};
std::vector<StartCode> findStartCodes(const Bytes& stream);
std::vector<std::size_t> offsetsOf(const Bytes& stream, std::uint8_t code);

// The bytes [from, to), both clamped to the stream.
Bytes cut(const Bytes& stream, std::size_t from, std::size_t to);
std::vector<Bytes> cutIntoChunks(const Bytes& stream, std::size_t chunk);

// One video PES packet per sample, as a demultiplexer would deliver a program stream.
std::vector<Bytes> videoPesPackets(const Bytes& programStream);
// The elementary stream the decoder sees behind a list of samples.
Bytes payloadOf(const std::vector<Bytes>& samples);

// A corpus file as samples: program streams by video PES packet, elementary
// streams in chunks of 4096 bytes.
std::vector<Bytes> samplesOf(const Bytes& file, bool programStream);

}  // namespace tl::test
