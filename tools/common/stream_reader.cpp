#include "tools/common/stream_reader.h"

#include <algorithm>

#include "tools/common/pes_header.h"

namespace tl::tools {

bool StreamReader::open(const std::string& path, std::string& error) {
    if (!source_.open(path, error)) return false;
    const std::string name = path == "-" ? "standard input" : "'" + path + "'";
    source_.ensure(kProbeSize);
    if (source_.readFailed()) {
        error = "cannot read " + name;
        return false;
    }
    const Detected detected = DetectContainer(source_.data(), source_.available());
    if (detected.container == Container::Unknown) {
        error = name + ": " + DescribeUnknown(source_.data(), source_.available());
        return false;
    }
    container_ = detected.container;
    if (container_ == Container::Transport192) packetSize_ = TransportDemuxer::kPacketSize + 4;
    source_.skip(detected.offset);
    return true;
}

bool StreamReader::restartAt(std::uint64_t position) {
    if (!source_.seek(position)) return false;
    ready_.clear();
    program_ = ProgramDemuxer();
    transport_.restart();
    return true;
}

bool StreamReader::next(StreamSample& sample) {
    if (container_ == Container::Elementary) return readElementary(sample);
    while (ready_.empty()) {
        const bool more = container_ == Container::Transport || container_ == Container::Transport192
                              ? readTransport()
                              : readPacks();
        if (!more && ready_.empty()) return false;
    }
    sample = std::move(ready_.front());
    ready_.pop_front();
    return true;
}

bool StreamReader::readElementary(StreamSample& sample) {
    source_.ensure(options_.chunk);
    const std::size_t n = std::min(options_.chunk, source_.available());
    if (n == 0) return false;
    sample.bytes.assign(source_.data(), source_.data() + n);
    sample.pts.reset();
    sample.position = source_.position();
    source_.skip(n);
    return true;
}

// One pass over the window; false once the input is used up.
bool StreamReader::readPacks() {
    if (source_.available() == 0 && !source_.grow()) return false;
    std::vector<PacketSpan> packets;
    const std::size_t used = program_.parse(source_.data(), source_.available(), source_.atEnd(), packets);
    for (const PacketSpan& p : packets) {
        const std::uint8_t* packet = source_.data() + p.offset;
        PesHeader header;
        if (!ParsePesHeader(packet, p.length, header)) continue;
        StreamSample s;
        s.pts = header.pts;
        s.position = source_.position() + p.offset;
        // The decoder reads MPEG-2 PES headers itself; an MPEG-1 system stream's are
        // taken off, as its demultiplexer would.
        const std::size_t from = container_ == Container::ProgramStream ? 0 : header.payloadOffset;
        if (from == p.length) continue;
        s.bytes.assign(packet + from, packet + p.length);
        ready_.push_back(std::move(s));
    }
    source_.skip(used);
    // A packet runs past the window: take in more of the input. At its end the
    // next pass uses up whatever is left.
    if (used == 0) source_.grow();
    return true;
}

bool StreamReader::readTransport() {
    std::vector<DemuxedUnit> units;
    while (units.empty()) {
        if (!source_.ensure(packetSize_)) {
            transport_.finish(units);
            break;
        }
        const std::size_t lead = packetSize_ - TransportDemuxer::kPacketSize;
        const std::uint8_t* packet = source_.data() + lead;
        if (packet[0] != 0x47) {
            // Lost sync: move on to the next byte that starts a run of packets.
            source_.skip(1);
            while (source_.ensure(packetSize_ + lead + 1) &&
                   !(source_.data()[lead] == 0x47 && source_.data()[packetSize_ + lead] == 0x47))
                source_.skip(1);
            continue;
        }
        transport_.push(packet, source_.position(), units);
        source_.skip(packetSize_);
    }
    for (DemuxedUnit& u : units) ready_.push_back({std::move(u.bytes), u.pts, u.position});
    return !units.empty();
}

}  // namespace tl::tools
