// Input samples and a chunked sample source for tests of the reader and the
// decoder object.
#pragma once
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/framework/bit_reader.h"
#include "engine/framework/host_interfaces.h"
#include "engine/framework/sample_flags.h"

namespace tl::test {

// Reference counted like a media sample; frees itself at count 0. Created
// with one reference, owned by the creator.
class TestSample final : public InputSample {
public:
    static TestSample* make(std::vector<std::uint8_t> data, ReferenceTime start = kNoTime,
                            std::uint32_t flags = 0) {
        return new TestSample(std::move(data), start, flags);
    }
    void addRef() override { refs_.fetch_add(1); }
    void release() override {
        if (refs_.fetch_sub(1) == 1) delete this;
    }
    int refs() const { return refs_.load(); }
    Properties properties() const override {
        Properties p;
        p.flags = flags_ | (start_ != kNoTime ? sample_flag::time_valid : 0);
        p.data = data_.empty() ? nullptr : data_.data();
        p.length = std::int32_t(data_.size());
        p.start = start_;
        return p;
    }

private:
    TestSample(std::vector<std::uint8_t> data, ReferenceTime start, std::uint32_t flags)
        : data_(std::move(data)), start_(start), flags_(flags) {}
    ~TestSample() = default;

    std::atomic<int> refs_{1};
    std::vector<std::uint8_t> data_;
    ReferenceTime start_;
    std::uint32_t flags_;
};

// Serves a byte string in chunks of a fixed size, then fails with E_ABORT.
class ChunkSource final : public SampleSource {
public:
    ChunkSource(std::vector<std::uint8_t> data, std::size_t chunk) : data_(std::move(data)), chunk_(chunk) {}
    HResult fetchNextSample(const std::uint8_t*& current, const std::uint8_t*& end) override {
        if (offset_ >= data_.size()) return hr::e_abort;
        const std::size_t n = std::min(chunk_, data_.size() - offset_);
        current = data_.data() + offset_;
        end = current + n;
        offset_ += n;
        return hr::ok;
    }

private:
    std::vector<std::uint8_t> data_;
    std::size_t chunk_;
    std::size_t offset_ = 0;
};

}  // namespace tl::test
