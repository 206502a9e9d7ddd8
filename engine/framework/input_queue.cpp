#include "engine/framework/input_queue.h"

#include <chrono>

namespace tl {

std::uint64_t InputQueue::push(InputSample* sample) {
    std::uint64_t marker;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        marker = pushLocked(sample);
    }
    changed_.notify_all();
    return marker;
}

std::uint64_t InputQueue::pushLocked(InputSample* sample) {
    entries_.push_back(sample);
    if (sample) {
        sample->addRef();
        return 0;
    }
    markerNumbers_.push_back(++lastMarker_);
    return lastMarker_;
}

std::uint64_t InputQueue::poppedMarker() {
    std::lock_guard<std::mutex> lock(mutex_);
    return poppedMarker_;
}

InputQueue::Signal InputQueue::wait(InputSample** sample) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return wake_ || !entries_.empty() || layerDirty_; });
    if (wake_) {
        wake_ = false;
        return Signal::Wake;
    }
    if (!entries_.empty()) {
        *sample = entries_.front();
        entries_.pop_front();
        if (!*sample) {
            poppedMarker_ = markerNumbers_.front();
            markerNumbers_.pop_front();
        }
        return Signal::Sample;
    }
    layerDirty_ = false;
    return Signal::LayerDirty;
}

void InputQueue::signalWake() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        wake_ = true;
    }
    changed_.notify_all();
}

void InputQueue::signalLayerDirty() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        layerDirty_ = true;
    }
    changed_.notify_all();
}

std::uint64_t InputQueue::discardAllAndMarkEnd(const std::function<bool()>& underLock) {
    std::uint64_t marker = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        while (!entries_.empty()) {
            if (entries_.front()) entries_.front()->release();
            entries_.pop_front();
        }
        markerNumbers_.clear();
        if (underLock()) marker = pushLocked(nullptr);
    }
    changed_.notify_all();
    return marker;
}

void InputQueue::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (InputSample* s : entries_)
        if (s) s->release();
    entries_.clear();
    markerNumbers_.clear();
    wake_ = false;
    layerDirty_ = false;
}

void ManualResetEvent::set() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        set_ = true;
        ++sets_;
    }
    changed_.notify_all();
}

void ManualResetEvent::reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    set_ = false;
}

bool ManualResetEvent::waitFor(int milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    const std::uint64_t setsBefore = sets_;
    return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                             [&] { return set_ || sets_ != setsBefore; });
}

void RunEnds::restart() {
    std::lock_guard<std::mutex> lock(mutex_);
    gone_ = false;
}

void RunEnds::ended(std::uint64_t marker) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (marker > done_) done_ = marker;
    }
    changed_.notify_all();
}

void RunEnds::workerGone() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        gone_ = true;
    }
    changed_.notify_all();
}

bool RunEnds::waitFor(std::uint64_t marker, int milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                             [&] { return gone_ || done_ >= marker; });
}

}  // namespace tl
