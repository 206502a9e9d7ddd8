// An MPEG-2 video file as a source delivers it: an elementary stream (.m2v) in
// chunks, or a program stream (.mpg, .vob) one video PES packet at a time, each
// unit with its time, and positioning at the entry point (sequence header or GOP)
// at or before a requested time.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/framework/reference_time.h"
#include "tools/tlvplay/program_stream.h"
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
    // file cannot be read or holds no MPEG video sequence.
    static std::unique_ptr<MpegSource> Open(const std::string& path, std::string* error);

    virtual ~MpegSource();
    MpegSource(const MpegSource&) = delete;
    MpegSource& operator=(const MpegSource&) = delete;

    virtual bool IsProgramStream() const = 0;
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
    explicit MpegSource(std::FILE* f) : file_(f) {}

    std::FILE* file_;
    SequenceInfo sequence_;
    ReferenceTime duration_ = 0;
};

// A 90 kHz time stamp difference in 100-ns units.
inline ReferenceTime PtsToReferenceTime(std::int64_t ticks) { return ReferenceTime(ticks * 1000 / 9); }

}  // namespace tl::tlvplay
