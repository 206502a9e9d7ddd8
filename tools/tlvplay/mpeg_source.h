// An MPEG-2 video file as a source delivers it, read by the tools' input reader
// whatever its container: an elementary stream in chunks, a program stream one
// video PES packet at a time, a system or transport stream as the payload of each
// video PES packet; each unit with its time, and positioning at the entry point
// (sequence header or GOP) at or before a requested time.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/reference_time.h"
#include "tools/tlvplay/sequence_header.h"

namespace tl::tlvplay {

struct StreamUnit {
    std::vector<std::uint8_t> bytes;
    ReferenceTime time = kNoTime;  // from the start of the stream, or none
    bool entry = false;            // playback can start here
};

class MpegSource {
public:
    // Opens path and indexes it; null with a one-line reason in *error when the
    // file cannot be read or holds no MPEG video sequence. pid: the transport
    // stream's video packet identifier, -1 to take it from the stream's tables.
    static std::unique_ptr<MpegSource> Open(const std::string& path, std::string* error, int pid = -1);

    virtual ~MpegSource() = default;
    MpegSource(const MpegSource&) = delete;
    MpegSource& operator=(const MpegSource&) = delete;

    // Units are whole PES packets (an MPEG-2 program stream) rather than bare video.
    virtual bool DeliversPesPackets() const = 0;
    const SequenceInfo& Sequence() const { return sequence_; }
    ReferenceTime Duration() const { return duration_; }
    // No unit is ever larger.
    virtual std::size_t MaxUnitSize() const = 0;

    // Makes the next unit the one at the last entry point at or before target (the
    // first unit when there is none) and returns that entry's time.
    virtual ReferenceTime Seek(ReferenceTime target) = 0;
    // The next unit; false at the end of the stream or on a read failure.
    virtual bool Next(StreamUnit* unit) = 0;

protected:
    MpegSource() = default;

    SequenceInfo sequence_;
    ReferenceTime duration_ = 0;
};

}  // namespace tl::tlvplay
