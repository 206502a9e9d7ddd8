// Fields of the settings record. Property setters run on any thread while the
// streaming thread reads, without a lock: each numeric field is one atomic word
// read once per use, and a string is replaced as a whole, so a reader keeps the
// text it took even while a setter installs a new one.
#pragma once
#include <atomic>
#include <memory>
#include <string>
#include <utility>

namespace tl {

template <class T>
class SettingValue {
public:
    SettingValue() = default;
    SettingValue(const SettingValue& other) : value_(other.Get()) {}
    SettingValue& operator=(const SettingValue& other) {
        Set(other.Get());
        return *this;
    }

    T Get() const { return value_.load(std::memory_order_relaxed); }
    void Set(T value) { value_.store(value, std::memory_order_relaxed); }

private:
    std::atomic<T> value_{};
};

class SettingString {
public:
    SettingString() : text_(std::make_shared<const std::wstring>()) {}
    SettingString(const SettingString& other) : text_(other.Get()) {}
    SettingString& operator=(const SettingString& other) {
        std::atomic_store(&text_, other.Get());
        return *this;
    }

    std::shared_ptr<const std::wstring> Get() const { return std::atomic_load(&text_); }
    void Set(std::wstring text) {
        std::atomic_store(&text_, std::shared_ptr<const std::wstring>(
                                      std::make_shared<const std::wstring>(std::move(text))));
    }

private:
    std::shared_ptr<const std::wstring> text_;
};

}  // namespace tl
