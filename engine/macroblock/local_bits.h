// A register copy of the reader's bit window for the innermost parsing loops.
// Within one input sample it refills straight from the payload, up to a full
// 32-bit window; only at a sample boundary does it hand back to the reader,
// whose refill fetches the next sample. Callers must writeBack() before any
// other code touches the reader.
#pragma once
#include <cstdint>

#include "engine/framework/bit_reader.h"

namespace tl {

struct LocalBits {
    explicit LocalBits(BitReader& r) : reader(r) { load(); }

    HResult ensure(int n) {
        if (count >= n) return hr::ok;
        while (count <= 24 && current != end) {
            cache |= static_cast<std::uint32_t>(*current++) << (24 - count);
            count += 8;
        }
        if (count >= n) return hr::ok;
        writeBack();
        HResult r = reader.ensureBits(n);
        load();
        return r;
    }

    std::uint32_t peek(int n) const { return cache >> (32 - n); }
    void skip(int n) {
        cache = static_cast<std::uint32_t>(static_cast<std::uint64_t>(cache) << n);
        count -= n;
    }
    std::uint32_t read(int n) {
        std::uint32_t v = peek(n);
        skip(n);
        return v;
    }

    void writeBack() {
        reader.cache = cache;
        reader.count = count;
        reader.current = current;
    }

    BitReader& reader;
    std::uint32_t cache = 0;
    int count = 0;
    const std::uint8_t* current = nullptr;
    const std::uint8_t* end = nullptr;

private:
    void load() {
        cache = reader.cache;
        count = reader.count;
        current = reader.current;
        end = reader.end;
    }
};

}  // namespace tl
