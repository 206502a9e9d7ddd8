// Holds a thread at a chosen call until the test lets it go.
#pragma once
#include <condition_variable>
#include <mutex>

namespace tl::test {

class Gate {
public:
    void arm() {
        std::lock_guard<std::mutex> lock(mutex_);
        armed_ = true;
        entered_ = false;
    }
    void passThrough() {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!armed_) return;
        entered_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return !armed_; });
    }
    void waitUntilEntered() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return entered_; });
    }
    void open() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            armed_ = false;
        }
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool armed_ = false;
    bool entered_ = false;
};

}  // namespace tl::test
