// The bit window over the compressed stream, shared by the header parsers and
// the slice layer. Everything here is inline: it is the innermost loop of
// decoding. Samples are consumed in place; refill is byte-wise.
#pragma once
#include <cstdint>

#include "engine/base/hresult.h"

namespace tl {

// Supplies the payload of the next input sample when the window runs dry.
// Returns hr::ok, or a failure (E_ABORT at end of stream or stop, E_FAIL when
// the wait fails) that every parser passes on unchanged.
class SampleSource {
public:
    virtual HResult fetchNextSample(const std::uint8_t*& current, const std::uint8_t*& end) = 0;

protected:
    ~SampleSource() = default;
};

struct BitReader {
    const std::uint8_t* current = nullptr;
    const std::uint8_t* end = nullptr;
    std::uint32_t cache = 0;  // next bits, left-aligned; bits below `count` are zero
    int count = 0;            // valid bits in cache, 0..32
    SampleSource* source = nullptr;
    std::uint32_t samplesTaken = 0;  // samples the window has moved to, so a Mark knows its own

    // A position to come back to while the window is still in the same sample.
    struct Mark {
        const std::uint8_t* current;
        std::uint32_t cache;
        int count;
        std::uint32_t sample;
    };
    Mark mark() const { return {current, cache, count, samplesTaken}; }
    // Returns to m; false, leaving the window alone, when its sample has gone.
    bool rewind(const Mark& m) {
        if (m.sample != samplesTaken) return false;
        current = m.current;
        cache = m.cache;
        count = m.count;
        return true;
    }

    void reset() {
        current = end = nullptr;
        cache = 0;
        count = 0;
        ++samplesTaken;
    }

    // Makes at least n bits valid. n may be up to 25 at any bit position, and
    // 32 when the window is byte-aligned (start-code scanning).
    HResult ensureBits(int n) {
        if (count >= n) return hr::ok;
        return refill(n);
    }

    std::uint32_t peekBits(int n) const { return cache >> (32 - n); }  // 1 <= n <= 32
    void skipBits(int n) {
        cache = static_cast<std::uint32_t>(static_cast<std::uint64_t>(cache) << n);
        count -= n;
    }
    std::uint32_t readBits(int n) {
        std::uint32_t v = peekBits(n);
        skipBits(n);
        return v;
    }

    // Leaves the next start code (0x000001xx) in the top of the window.
    HResult nextStartCode() {
        skipBits(count & 7);
        for (;;) {
            HResult r = ensureBits(32);
            if (r != hr::ok) return r;
            if ((cache >> 8) == 1) return hr::ok;
            skipBits(8);
        }
    }

    void consumeStartCode() {
        cache = 0;
        count = 0;
    }

private:
    HResult refill(int n) {
        std::uint32_t acc = count ? cache >> (32 - count) : 0;
        while (count < n) {
            if (current == end) {
                HResult r = source->fetchNextSample(current, end);
                if (r != hr::ok) {
                    cache = count ? acc << (32 - count) : 0;
                    return r;
                }
                ++samplesTaken;
            }
            acc = (acc << 8) | *current++;
            count += 8;
        }
        cache = count == 32 ? acc : acc << (32 - count);
        return hr::ok;
    }
};

}  // namespace tl
