// Hand-made bitstreams: a writer of bits, codes written as text and start
// codes, and a reader over the written bytes served in chunks of a chosen size,
// whose source ends the stream (E_ABORT) when they run out.
#pragma once
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "engine/framework/bit_reader.h"

namespace tl::test {

class BitWriter {
public:
    void put(std::uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) bit((value >> i) & 1);
    }
    // Fields in order, each a value and its width in bits.
    void put(std::initializer_list<std::pair<std::uint32_t, int>> fields) {
        for (const auto& [value, bits] : fields) put(value, bits);
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
    std::vector<std::uint8_t> finish() {
        startCode(0xB7);
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
// Each chunk lives in its own allocation of its exact size, so a read past a
// sample's end is caught under AddressSanitizer.
class ChunkSource final : public SampleSource {
public:
    ChunkSource(const std::uint8_t* data, std::size_t size, std::size_t chunk) {
        for (std::size_t at = 0; at < size; at += chunk)
            chunks_.emplace_back(data + at, data + std::min(size, at + chunk));
    }
    ChunkSource(const std::vector<std::uint8_t>& data, std::size_t chunk)
        : ChunkSource(data.data(), data.size(), chunk) {}
    HResult fetchNextSample(const std::uint8_t*& current, const std::uint8_t*& end) override {
        if (next_ == chunks_.size()) return hr::e_abort;
        const std::vector<std::uint8_t>& c = chunks_[next_++];
        current = c.data();
        end = current + c.size();
        return hr::ok;
    }
    const std::uint8_t* begin() const { return chunks_.empty() ? nullptr : chunks_[0].data(); }

private:
    std::vector<std::vector<std::uint8_t>> chunks_;
    std::size_t next_ = 0;
};

// How many bits a code written as text holds.
inline int bitCount(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '0' || c == '1';
    return n;
}

struct TestReader {
    explicit TestReader(const std::vector<std::uint8_t>& data, std::size_t chunk = SIZE_MAX)
        : source(data, chunk) {
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
    // Bits the parsers have taken so far (within the first chunk).
    int consumed() const {
        if (!reader.current) return 0;
        return static_cast<int>(8 * (reader.current - source.begin())) - reader.count;
    }
    ChunkSource source;
    BitReader reader;
};

}  // namespace tl::test
