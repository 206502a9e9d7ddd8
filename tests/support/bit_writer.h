// Hand-made bitstreams: a writer of bits, codes written as text and start
// codes, and a reader over the written bytes served in chunks of a chosen size,
// whose source ends the stream (E_ABORT) when they run out.
#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/framework/bit_reader.h"

namespace tl::test {

class BitWriter {
public:
    void put(std::uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) bit((value >> i) & 1);
    }
    // "0101 1": digits are bits, anything else is ignored.
    BitWriter& bits(const std::string& text) {
        for (char c : text)
            if (c == '0' || c == '1') bit(c == '1');
        return *this;
    }
    void align() {  // pads with zero bits to the next byte
        while (used_ != 0) bit(0);
    }
    void startCode(std::uint8_t code) {
        align();
        bytes_.insert(bytes_.end(), {0x00, 0x00, 0x01, code});
    }
    void bytes(const std::vector<std::uint8_t>& data) {
        align();
        bytes_.insert(bytes_.end(), data.begin(), data.end());
    }
    // Pads to a byte boundary and appends a start code that ends any slice.
    std::vector<std::uint8_t> finish(std::uint8_t endCode = 0xB7) {
        startCode(endCode);
        return bytes_;
    }
    const std::vector<std::uint8_t>& data() const { return bytes_; }

private:
    void bit(bool b) {
        if (used_ == 0) bytes_.push_back(0);
        if (b) bytes_.back() |= static_cast<std::uint8_t>(0x80 >> used_);
        used_ = (used_ + 1) & 7;
    }
    std::vector<std::uint8_t> bytes_;
    int used_ = 0;
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
    const std::uint8_t* begin() const { return data_.data(); }

private:
    std::vector<std::uint8_t> data_;
    std::size_t chunk_;
    std::size_t offset_ = 0;
};

// How many bits a code written as text holds.
inline int bitCount(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '0' || c == '1';
    return n;
}

struct TestReader {
    explicit TestReader(std::vector<std::uint8_t> data, std::size_t chunk = SIZE_MAX)
        : source(std::move(data), chunk) {
        reader.source = &source;
    }
    explicit TestReader(const std::string& text) : TestReader(fromText(text)) {}
    static std::vector<std::uint8_t> fromText(const std::string& text) {
        BitWriter w;
        w.bits(text);
        // Trailing ones keep look-ahead windows from running into the end.
        w.put(0xFFFFFFFFu, 32);
        return w.data();
    }
    // Bits the parsers have taken so far (one chunk).
    int consumed() const {
        if (!reader.current) return 0;
        return static_cast<int>(8 * (reader.current - source.begin())) - reader.count;
    }
    ChunkSource source;
    BitReader reader;
};

}  // namespace tl::test
