#include "engine/framework/input_queue.h"

#include <chrono>

namespace tl {

void InputQueue::push(InputSample* sample) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pushLocked(sample);
    }
    changed_.notify_all();
}

void InputQueue::pushLocked(InputSample* sample) {
    if (sample) sample->addRef();
    entries_.push_back(sample);
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

void InputQueue::discardAllAndMarkEnd(const std::function<bool()>& underLock) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        while (!entries_.empty()) {
            if (entries_.front()) entries_.front()->release();
            entries_.pop_front();
        }
        if (underLock()) pushLocked(nullptr);
    }
    changed_.notify_all();
}

void InputQueue::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (InputSample* s : entries_)
        if (s) s->release();
    entries_.clear();
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

}  // namespace tl
