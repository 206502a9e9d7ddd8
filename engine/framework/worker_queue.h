// The decoder's worker thread and the queue that feeds it: Receive and
// EndOfStream from the streaming thread, Flush from the application, the stop
// at Uninit, and the worker's side (each run ends at an end-of-stream marker).
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include "engine/base/hresult.h"
#include "engine/framework/input_queue.h"

namespace tl {

class WorkerQueue {
public:
    WorkerQueue() = default;
    WorkerQueue(const WorkerQueue&) = delete;
    WorkerQueue& operator=(const WorkerQueue&) = delete;

    // Application thread. start: false when a worker runs already or no thread
    // can be made. stop: the worker told to end and waited for; one stuck in a
    // host call past the limit is abandoned. Both leave the queue empty.
    bool started() const { return worker_.joinable(); }
    bool start(std::function<void()> body);
    void stop();

    // S_FALSE while flushing, VFW_E_WRONG_STATE when the worker does not run.
    HResult receive(InputSample* sample);
    // Returns when every picture queued before it has been delivered.
    HResult endOfStream();
    void flush(bool begin);

    // Worker thread.
    InputQueue& queue() { return queue_; }
    const std::atomic<bool>& running() const { return running_; }
    bool flushing() const { return flushing_; }
    // The current run is over: waiters for the markers it popped may go on.
    void runEnded() { runEnds_.ended(queue_.poppedMarker()); }
    // Nothing more will run (also when the worker cannot start decoding).
    void workerGone();

private:
    std::thread worker_;
    std::atomic<bool> running_{false};
    std::atomic<bool> flushing_{false};
    RunEnds runEnds_;
    std::uint64_t flushMarker_ = 0;  // the marker the current flush queued (0: none)
    ManualResetEvent workerEnded_;
    InputQueue queue_;
};

}  // namespace tl
