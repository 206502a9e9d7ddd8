// Reads an MPEG video file, or standard input, whatever container holds it, and
// hands on the samples a demultiplexer would deliver to a video decoder:
// - an elementary stream in chunks of a fixed size, without times;
// - an MPEG-2 program stream one video PES packet at a time, header included;
// - an MPEG-1 system stream or a transport stream as the payload of each video
//   PES packet;
// each with the PES presentation time stamp where the packet has one. Only a
// window of the input is held, so inputs of any length read in constant space.
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "tools/common/byte_source.h"
#include "tools/common/container.h"
#include "tools/common/program_demuxer.h"
#include "tools/common/transport_demuxer.h"

namespace tl::tools {

struct ReaderOptions {
    std::size_t chunk = 65536;        // sample size for elementary streams
    int pid = -1;                     // transport stream: the stream to take, -1: from the tables
    std::size_t readSize = 1 << 16;   // bytes read at a time
};

struct StreamSample {
    std::vector<std::uint8_t> bytes;
    std::optional<std::uint64_t> pts;  // 90 kHz
    // Where reading can start again to give this sample first (see restartAt).
    std::uint64_t position = 0;
};

class StreamReader {
public:
    explicit StreamReader(const ReaderOptions& options = {})
        : options_(options), source_(options.readSize), transport_(options.pid) {}

    // Opens the input ("-": standard input) and tells its container from its
    // first bytes. False with a one-line reason when it cannot be read or holds
    // no MPEG stream.
    bool open(const std::string& path, std::string& error);

    Container container() const { return container_; }
    // Whole PES packets (an MPEG-2 program stream) rather than bare payload.
    bool deliversPesPackets() const { return container_ == Container::ProgramStream; }
    // The next sample; false at the end of the input or on a read failure.
    bool next(StreamSample& sample);
    bool readFailed() const { return source_.readFailed(); }
    // Reads on from a sample's position, as after a seek; false for standard input.
    bool restartAt(std::uint64_t position);
    // For a transport stream that gave no video: what its tables offered.
    std::string describeTransport() const { return transport_.describeWhatWasFound(); }

private:
    bool readElementary(StreamSample& sample);
    bool readPacks();
    bool readTransport();

    const ReaderOptions options_;
    ByteSource source_;
    Container container_ = Container::Unknown;
    std::size_t packetSize_ = TransportDemuxer::kPacketSize;
    ProgramDemuxer program_;
    TransportDemuxer transport_;
    std::deque<StreamSample> ready_;
};

}  // namespace tl::tools
