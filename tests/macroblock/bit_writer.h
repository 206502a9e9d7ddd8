// Test-only helpers: a bit writer for hand-made slice data, and a reader over
// the written bytes whose source ends the stream (E_ABORT) when they run out.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/framework/bit_reader.h"

namespace tl::test {

class SliceBitWriter {
public:
    void put(std::uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) bit((value >> i) & 1);
    }
    // "0101 1": digits are bits, anything else is ignored.
    SliceBitWriter& bits(const std::string& text) {
        for (char c : text)
            if (c == '0' || c == '1') bit(c == '1');
        return *this;
    }
    void align() {
        while (used_ != 0) bit(0);
    }
    void startCode(std::uint8_t code) {
        align();
        for (std::uint8_t b : {std::uint8_t(0), std::uint8_t(0), std::uint8_t(1), code}) bytes_.push_back(b);
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

// Hands out one buffer, then reports the end of the stream.
class OneBufferSource final : public SampleSource {
public:
    explicit OneBufferSource(std::vector<std::uint8_t> data) : data_(std::move(data)) {}
    HResult fetchNextSample(const std::uint8_t*& current, const std::uint8_t*& end) override {
        if (given_ || data_.empty()) return hr::e_abort;
        given_ = true;
        current = data_.data();
        end = data_.data() + data_.size();
        return hr::ok;
    }

    const std::uint8_t* begin() const { return data_.data(); }

private:
    std::vector<std::uint8_t> data_;
    bool given_ = false;
};

struct TestReader {
    explicit TestReader(std::vector<std::uint8_t> data) : source(std::move(data)) { reader.source = &source; }
    explicit TestReader(const std::string& text) : TestReader(fromText(text)) {}
    static std::vector<std::uint8_t> fromText(const std::string& text) {
        SliceBitWriter w;
        w.bits(text);
        // Trailing ones keep look-ahead windows from running into the end.
        w.put(0xFFFFFFFFu, 32);
        return w.data();
    }
    // Bits the parsers have taken so far.
    int consumed() const {
        if (!reader.current) return 0;
        return static_cast<int>(8 * (reader.current - source.begin())) - reader.count;
    }
    OneBufferSource source;
    BitReader reader;
};

}  // namespace tl::test
