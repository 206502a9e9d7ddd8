// Feeds the bit reader from the input queue: waits for the next sample, strips
// its PES or pack header, notes its start time and counts the payload bytes.
// Runs on the worker thread only.
#pragma once
#include <atomic>
#include <cstdint>

#include "engine/framework/bit_reader.h"
#include "engine/framework/input_queue.h"
#include "engine/base/reference_time.h"
#include "engine/framework/stream_state.h"

namespace tl {

class SampleFetcher final : public SampleSource {
public:
    // What a sample's arrival touches outside the fetcher.
    struct Links {
        InputQueue* queue = nullptr;
        const std::atomic<bool>* running = nullptr;  // the worker's running condition
        bool* discontinuityPending = nullptr;
        StreamState* stream = nullptr;  // the display size is forgotten at a discontinuity
    };

    explicit SampleFetcher(const Links& links) : links_(links) {}
    SampleFetcher(const SampleFetcher&) = delete;
    SampleFetcher& operator=(const SampleFetcher&) = delete;
    ~SampleFetcher() { releaseCurrent(); }

    // S_OK with the payload of the next non-empty sample, E_ABORT at the
    // end-of-stream marker or when the worker stops.
    HResult fetchNextSample(const std::uint8_t*& current, const std::uint8_t*& end) override;

    void releaseCurrent();

    // Start time of the sample being read, or kNoTime; the header loop hands it
    // to the first picture that starts after the sample arrived.
    ReferenceTime& sampleTime() { return sampleTime_; }
    std::uint64_t totalBytesRead() const { return totalBytesRead_; }
    void resetTotalBytesRead() { totalBytesRead_ = 0; }

private:
    Links links_;
    InputSample* current_ = nullptr;
    ReferenceTime sampleTime_ = kNoTime;
    std::uint64_t totalBytesRead_ = 0;
};

}  // namespace tl
