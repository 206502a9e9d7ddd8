#include "tools/common/transport_demuxer.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "tools/common/pes_header.h"

namespace tl::tools {
namespace {

constexpr std::uint8_t kSync = 0x47;
constexpr int kAssociationPid = 0;
constexpr std::uint8_t kAssociationTable = 0x00;
constexpr std::uint8_t kMapTable = 0x02;
constexpr std::uint8_t kMpeg2VideoType = 0x02;
constexpr std::size_t kLargestSection = 1024;
constexpr std::size_t kUnbounded = std::numeric_limits<std::size_t>::max();
// An unbounded PES packet is handed on in parts of at most this size, so a
// stream that never starts another one cannot take all memory.
constexpr std::size_t kLargestUnit = std::size_t(8) << 20;

// The table sections' CRC-32 (polynomial 04C11DB7, not reflected): 0 over a
// whole section, its CRC included, when the section is intact.
std::uint32_t sectionCrc(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= std::uint32_t(data[i]) << 24;
        for (int bit = 0; bit < 8; ++bit) crc = crc & 0x80000000u ? crc << 1 ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

int pidOf(const std::uint8_t* p) { return (p[0] & 0x1F) << 8 | p[1]; }
std::size_t length12(const std::uint8_t* p) { return std::size_t(p[0] & 0x0F) << 8 | p[1]; }

}  // namespace

bool TransportDemuxer::isMapPid(int pid) const {
    return std::any_of(programs_.begin(), programs_.end(), [pid](const Program& p) { return p.pmtPid == pid; });
}

void TransportDemuxer::push(const std::uint8_t* packet, std::uint64_t position, std::vector<DemuxedUnit>& out) {
    if (packet[0] != kSync || (packet[1] & 0x80)) return;  // lost sync, or marked as damaged in transmission
    const bool unitStart = (packet[1] & 0x40) != 0;
    const int pid = pidOf(packet + 1);
    const bool scrambled = (packet[3] & 0xC0) != 0;
    const int adaptation = packet[3] >> 4 & 3;
    if (!(adaptation & 1)) return;  // no payload
    std::size_t at = 4;
    if (adaptation & 2) at = 5 + std::size_t(packet[4]);
    if (at >= kPacketSize) return;
    const std::uint8_t* payload = packet + at;
    const std::size_t size = kPacketSize - at;
    if (pid == videoPid_) {
        const int continuity = packet[3] & 0x0F;
        // A packet may be sent twice in a row; the copy carries nothing new.
        if (continuity == lastContinuity_) return;
        lastContinuity_ = continuity;
        if (!scrambled) collectVideo(payload, size, unitStart, position, out);
    } else if (videoPid_ < 0 && (pid == kAssociationPid || isMapPid(pid))) {
        collectSection(pid, payload, size, unitStart);
    }
}

void TransportDemuxer::collectSection(int pid, const std::uint8_t* payload, std::size_t size, bool unitStart) {
    Section& s = sections_[pid];
    if (unitStart) {
        const std::size_t pointer = payload[0];
        if (1 + pointer > size) {
            s.collecting = false;
            return;
        }
        if (s.collecting) {
            s.bytes.insert(s.bytes.end(), payload + 1, payload + 1 + pointer);
            completeSection(pid, s);
        }
        s.bytes.assign(payload + 1 + pointer, payload + size);
        s.collecting = true;
    } else if (s.collecting) {
        s.bytes.insert(s.bytes.end(), payload, payload + size);
    }
    if (s.collecting) completeSection(pid, s);
}

void TransportDemuxer::completeSection(int pid, Section& s) {
    if (s.bytes.size() < 3) return;
    const std::size_t length = 3 + length12(s.bytes.data() + 1);
    if (length > kLargestSection || length < 12) {
        s.collecting = false;
        return;
    }
    if (s.bytes.size() < length) return;
    s.collecting = false;
    const std::vector<std::uint8_t> section(s.bytes.begin(), s.bytes.begin() + std::ptrdiff_t(length));
    if (sectionCrc(section.data(), section.size()) != 0) return;
    if (pid == kAssociationPid && section[0] == kAssociationTable)
        readAssociation(section);
    else if (section[0] == kMapTable)
        readMap(pid, section);
}

void TransportDemuxer::readAssociation(const std::vector<std::uint8_t>& s) {
    if (associationSeen_) return;
    associationSeen_ = true;
    for (std::size_t i = 8; i + 4 <= s.size() - 4; i += 4) {
        const int number = s[i] << 8 | s[i + 1];
        if (number != 0) programs_.push_back({number, pidOf(s.data() + i + 2), false, -1});  // 0 names the network table
    }
}

void TransportDemuxer::readMap(int pid, const std::vector<std::uint8_t>& s) {
    const int number = s[3] << 8 | s[4];
    for (Program& program : programs_) {
        if (program.pmtPid != pid || program.number != number) continue;
        if (program.mapSeen) {
            // The tables have come round again: the programs whose maps are still
            // missing are not coming.
            chooseProgram(true);
            return;
        }
        program.mapSeen = true;
        const std::size_t end = s.size() - 4;
        for (std::size_t i = 12 + length12(s.data() + 10); i + 5 <= end; i += 5 + length12(s.data() + i + 3)) {
            const std::uint8_t type = s[i];
            if (std::find(streamTypes_.begin(), streamTypes_.end(), type) == streamTypes_.end())
                streamTypes_.push_back(type);
            if (type == kMpeg2VideoType && program.videoPid < 0) program.videoPid = pidOf(s.data() + i + 1);
        }
        chooseProgram(false);
        return;
    }
}

void TransportDemuxer::chooseProgram(bool cycleComplete) {
    for (const Program& program : programs_) {
        if (!program.mapSeen) {
            if (cycleComplete) continue;
            return;  // an earlier program may still carry video
        }
        if (program.videoPid >= 0) {
            videoPid_ = program.videoPid;
            return;
        }
    }
}

void TransportDemuxer::collectVideo(const std::uint8_t* payload, std::size_t size, bool unitStart,
                                    std::uint64_t position, std::vector<DemuxedUnit>& out) {
    if (unitStart) {
        if (inPes_) emit(out);
        inPes_ = true;
        headerRead_ = false;
        pes_.clear();
        pts_.reset();
        pesPosition_ = position;
    }
    if (!inPes_) return;  // the rest of a packet whose start was not seen
    pes_.insert(pes_.end(), payload, payload + size);
    if (!headerRead_) {
        if (pes_.size() < 9 || pes_.size() < 9 + std::size_t(pes_[8])) return;
        PesHeader header;
        const std::size_t declared = std::size_t(pes_[4]) << 8 | pes_[5];
        if (pes_[0] != 0 || pes_[1] != 0 || pes_[2] != 1 || !ParsePesHeader(pes_.data(), pes_.size(), header) ||
            (declared != 0 && declared + 6 < header.payloadOffset)) {
            inPes_ = false;
            pes_.clear();
            return;
        }
        payloadExpected_ = declared != 0 ? declared + 6 - header.payloadOffset : kUnbounded;
        pts_ = header.pts;
        pes_.erase(pes_.begin(), pes_.begin() + std::ptrdiff_t(header.payloadOffset));
        headerRead_ = true;
    }
    if (pes_.size() >= payloadExpected_) {
        pes_.resize(payloadExpected_);
        emit(out);
        inPes_ = false;
    } else if (pes_.size() >= kLargestUnit) {
        emit(out);
    }
}

void TransportDemuxer::emit(std::vector<DemuxedUnit>& out) {
    if (headerRead_ && !pes_.empty()) out.push_back({std::move(pes_), pts_, pesPosition_});
    pes_.clear();
    pts_.reset();
}

void TransportDemuxer::finish(std::vector<DemuxedUnit>& out) {
    if (inPes_) emit(out);
    inPes_ = false;
}

void TransportDemuxer::restart() {
    inPes_ = false;
    headerRead_ = false;
    pes_.clear();
    pts_.reset();
    lastContinuity_ = -1;
    for (auto& [pid, section] : sections_) section.collecting = false;
}

std::string TransportDemuxer::describeWhatWasFound() const {
    if (!associationSeen_) return "no program association table";
    if (programs_.empty()) return "no programs in the program association table";
    if (streamTypes_.empty()) return "no program map table";
    std::string types;
    for (std::uint8_t type : streamTypes_) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%s0x%02X", types.empty() ? "" : ", ", type);
        types += hex;
    }
    return "no MPEG-2 video in its programs (stream types " + types + ")";
}

}  // namespace tl::tools
