#include "engine/framework/worker_queue.h"

#include <system_error>
#include <utility>

namespace tl {
namespace {

constexpr int kWorkerStopTimeoutMs = 10000;
constexpr int kEndOfStreamWaitSliceMs = 1000;
constexpr int kFlushEndTimeoutMs = 5000;

}  // namespace

bool WorkerQueue::start(std::function<void()> body) {
    if (worker_.joinable()) return false;
    queue_.clear();
    runEnds_.restart();
    flushMarker_ = 0;
    workerEnded_.reset();
    flushing_ = false;
    running_ = true;
    try {
        worker_ = std::thread(std::move(body));
    } catch (const std::system_error&) {
        running_ = false;
        return false;
    }
    return true;
}

void WorkerQueue::stop() {
    running_ = false;
    queue_.signalWake();
    if (worker_.joinable()) {
        // A worker stuck in a host call past the limit is abandoned, as the
        // thread handle would be closed regardless.
        if (workerEnded_.waitFor(kWorkerStopTimeoutMs))
            worker_.join();
        else
            worker_.detach();
    }
    queue_.clear();
}

void WorkerQueue::workerGone() {
    running_ = false;
    runEnds_.workerGone();
    workerEnded_.set();
}

HResult WorkerQueue::receive(InputSample* sample) {
    if (flushing_) return hr::s_false;
    if (!running_) return hr::vfw_e_wrong_state;
    queue_.push(sample);
    return hr::ok;
}

HResult WorkerQueue::endOfStream() {
    if (flushing_) return hr::s_false;
    if (!running_) return hr::vfw_e_wrong_state;
    const std::uint64_t marker = queue_.push(nullptr);
    while (running_ && !runEnds_.waitFor(marker, kEndOfStreamWaitSliceMs)) {
    }
    return hr::ok;
}

void WorkerQueue::flush(bool begin) {
    if (begin) {
        const std::uint64_t marker = queue_.discardAllAndMarkEnd([this] {
            const bool marked = !flushing_ && running_;
            flushing_ = true;
            return marked;
        });
        if (marker) flushMarker_ = marker;
    } else {
        if (flushMarker_) runEnds_.waitFor(flushMarker_, kFlushEndTimeoutMs);
        flushMarker_ = 0;
        flushing_ = false;
    }
}

}  // namespace tl
