// The parsers peek further ahead than the code they decode (up to 24 bits for
// a coefficient, 23 for the start-code test), so the last macroblock of a
// stream that ends without a sequence_end_code cannot be read from the bits
// that did arrive. While a picture is being decoded this source stands between
// the reader and its real source: when the real source fails (end of stream or
// stop), it supplies the bytes of a sequence_end_code first, and hands out the
// failure at the next fetch, so the run still ends where it would have.
#pragma once
#include "engine/framework/bit_reader.h"

namespace tl {

class StreamEndPadding final : public SampleSource {
public:
    // Puts itself in front of the reader's source for the duration of one picture.
    void begin(BitReader& reader) {
        if (reader.source != this) {
            inner_ = reader.source;
            reader.source = this;
        }
        active_ = true;
    }
    void end() { active_ = false; }

    HResult fetchNextSample(const std::uint8_t*& current, const std::uint8_t*& end) override {
        if (pending_ != hr::ok) {
            const HResult r = pending_;
            pending_ = hr::ok;
            return r;
        }
        const HResult r = inner_->fetchNextSample(current, end);
        if (r == hr::ok || !active_) return r;
        pending_ = r;
        current = kSequenceEnd;
        end = kSequenceEnd + sizeof kSequenceEnd;
        return hr::ok;
    }

private:
    static constexpr std::uint8_t kSequenceEnd[4] = {0x00, 0x00, 0x01, 0xB7};
    SampleSource* inner_ = nullptr;
    HResult pending_ = hr::ok;
    bool active_ = false;
};

}  // namespace tl
