// What the decoder counts for IVideoDecoderMPEG2 (pictures shown and skipped,
// the group-of-pictures structure, the speed of the last conversion) and the
// snapshot of stream information other threads read. The counters belong to
// the worker; snapshot() may be called from any thread.
#pragma once
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "engine/framework/stream_info.h"
#include "engine/framework/stream_state.h"

namespace tl {

class DecoderStatistics {
public:
    // Conversion times are steady-clock ticks at this many per second.
    using ConversionClock = std::chrono::steady_clock;
    static constexpr std::int64_t kClockFrequency = ConversionClock::period::den / ConversionClock::period::num;
    static std::int64_t now() { return ConversionClock::now().time_since_epoch().count(); }

    // What the snapshot takes from outside the stream headers and the counters.
    struct Outside {
        std::int32_t aspectX = 0, aspectY = 0;  // last negotiated with the output
        int deinterlace = 0;                     // mode of the last output picture
        std::uint64_t totalBytesRead = 0;
        std::uint32_t errors = 0;
    };

    void reset();
    // A decoded picture of picture_coding_type `type` joins the group-of-pictures structure.
    void pictureDecoded(int type);
    void pictureOutput(bool skipped);
    // A picture larger than the output the renderer kept: decoded, not delivered.
    void pictureUndelivered() { ++undeliveredFrames_; }
    void conversionTimed(std::int64_t ticks, std::int64_t imageBytes);

    // Worker: replaces the snapshot.
    void publish(const StreamState& s, const Outside& outside);
    StreamInfo snapshot() const;

private:
    std::string gopStructure_;
    std::uint32_t frameNum_ = 0;
    std::uint32_t skippedFrames_ = 0;
    std::uint32_t undeliveredFrames_ = 0;
    std::int64_t lastConversionTicks_ = 0;  // ConversionClock ticks
    std::int64_t lastImageBytes_ = 0;

    mutable std::mutex mutex_;  // guards info_ only
    StreamInfo info_;
};

}  // namespace tl
