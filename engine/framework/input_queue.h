// The decoder's input queue and the three things its worker waits for: the
// wake (stop) event, the sample semaphore and the layer-dirty event. One mutex
// and one condition variable stand in for the queue lock and the three kernel
// objects; the semaphore's count is the number of queued entries.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "engine/framework/host_interfaces.h"

namespace tl {

class InputQueue {
public:
    enum class Signal { Wake, Sample, LayerDirty };

    InputQueue() = default;
    InputQueue(const InputQueue&) = delete;
    InputQueue& operator=(const InputQueue&) = delete;
    ~InputQueue() { clear(); }

    // Appends a sample with a reference of its own; null is the end-of-stream
    // marker. Returns the marker's number (numbers grow from 1), or 0 for a sample.
    std::uint64_t push(InputSample* sample);

    // Blocks until one of the three is signalled. Like a wait on several kernel
    // objects, the lowest wins when more are: wake, then sample, then layer-dirty.
    // Wake and layer-dirty reset themselves when reported. For Sample the front
    // entry is popped into *sample (its reference passes to the caller).
    Signal wait(InputSample** sample);

    void signalWake();
    void signalLayerDirty();

    // Drops every queued sample, then runs `underLock` and queues the
    // end-of-stream marker when it returns true, all under the queue lock, so
    // the worker cannot pop the marker before the caller's state change.
    // Returns the marker's number, or 0 when none was queued.
    std::uint64_t discardAllAndMarkEnd(const std::function<bool()>& underLock);

    // Number of the last end-of-stream marker the worker popped (0: none yet).
    std::uint64_t poppedMarker();

    // Releases every queued sample and clears both events.
    void clear();

private:
    std::uint64_t pushLocked(InputSample* sample);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<InputSample*> entries_;
    std::deque<std::uint64_t> markerNumbers_;  // of the queued markers, in queue order
    std::uint64_t lastMarker_ = 0;
    std::uint64_t poppedMarker_ = 0;
    bool wake_ = false;
    bool layerDirty_ = false;
};

// A manual-reset event.
class ManualResetEvent {
public:
    void set();
    void reset();
    // True when the event is set, or was set while waiting (like a kernel
    // event, a set releases the threads waiting at that moment even when a
    // reset follows before they run); false after the timeout.
    bool waitFor(int milliseconds);

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool set_ = false;
    std::uint64_t sets_ = 0;
};

// Which end-of-stream markers the worker is done with: a run that ends after
// popping a marker publishes that marker's number once its last picture went
// out. EndOfStream and the end of a flush wait for their own marker, so a run
// that ended at an earlier one (a flush's, or a Receive(null)'s) cannot release
// them before their pictures are delivered.
class RunEnds {
public:
    void restart();
    void ended(std::uint64_t marker);
    void workerGone();
    // True when the run of `marker` has ended or the worker is gone; false after the timeout.
    bool waitFor(std::uint64_t marker, int milliseconds);

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t done_ = 0;
    bool gone_ = false;
};

}  // namespace tl
