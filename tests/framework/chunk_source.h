// A chunked sample source for tests of the reader and the header loop.
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/framework/bit_reader.h"

namespace tl::test {

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
