// Takes the video of one program out of an MPEG transport stream: the program
// association and program map tables name the first program that carries
// MPEG-2 video (or a packet identifier given by the user names the stream), and
// that stream's PES packets are put back together and handed on as a
// demultiplexer delivers them to a video decoder: the payload, with the PES
// presentation time.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tl::tools {

struct DemuxedUnit {
    std::vector<std::uint8_t> bytes;
    std::optional<std::uint64_t> pts;  // 90 kHz
    std::uint64_t position = 0;        // of the transport packet the PES packet starts in
};

class TransportDemuxer {
public:
    static constexpr std::size_t kPacketSize = 188;

    // pid: the stream to take, or -1 to choose from the tables.
    explicit TransportDemuxer(int pid = -1) : videoPid_(pid) {}

    // One packet (starting with its sync byte) that begins at `position` of the input.
    void push(const std::uint8_t* packet, std::uint64_t position, std::vector<DemuxedUnit>& out);
    // The end of the input: hands on the PES packet in progress.
    void finish(std::vector<DemuxedUnit>& out);
    // Forgets the PES packet in progress, as after a jump in the input; the
    // chosen stream stays.
    void restart();

    int videoPid() const { return videoPid_; }
    // When no stream was chosen: what the tables offered instead.
    std::string describeWhatWasFound() const;

private:
    struct Section {
        std::vector<std::uint8_t> bytes;
        bool collecting = false;
    };
    struct Program {
        int number = 0;
        int pmtPid = 0;
        bool mapSeen = false;
        int videoPid = -1;
    };

    bool isMapPid(int pid) const;
    void collectSection(int pid, const std::uint8_t* payload, std::size_t size, bool unitStart);
    void completeSection(int pid, Section& section);
    void readAssociation(const std::vector<std::uint8_t>& section);
    void readMap(int pid, const std::vector<std::uint8_t>& section);
    void chooseProgram(bool cycleComplete);
    void collectVideo(const std::uint8_t* payload, std::size_t size, bool unitStart, std::uint64_t position,
                      std::vector<DemuxedUnit>& out);
    void emit(std::vector<DemuxedUnit>& out);

    int videoPid_;
    bool associationSeen_ = false;
    std::vector<Program> programs_;
    std::vector<std::uint8_t> streamTypes_;  // every elementary stream type the maps listed
    std::map<int, Section> sections_;  // by packet identifier: the association table's and the maps'

    // The PES packet being put together: its header until it is whole, then its payload.
    std::vector<std::uint8_t> pes_;
    bool inPes_ = false;
    bool headerRead_ = false;
    std::optional<std::uint64_t> pts_;
    std::uint64_t pesPosition_ = 0;
    std::size_t payloadExpected_ = 0;  // from the PES length; unbounded: up to the next unit start
    int lastContinuity_ = -1;
};

}  // namespace tl::tools
