// A register copy of the reader's bit window, owned by the slice layer for the
// whole run of macroblocks of a slice. It holds up to 64 bits and, while at
// least eight bytes of the current sample remain, refills with one unaligned
// load; near the end of a sample it refills byte by byte, and only at the
// sample boundary does it hand back to the reader, whose refill fetches the
// next sample. Callers must writeBack() before any other code touches the
// reader.
//
// The compiler keeps the window in registers only while its address stays in
// the function that owns it: parsers that are not inlined get a copy of the
// window (throughCopy), never the owner's.
#pragma once
#include <cstdint>
#include <cstring>

#include "engine/framework/bit_reader.h"

namespace tl {

struct LocalBits {
    explicit LocalBits(BitReader& r) : reader(&r) { load(); }

    // Makes at least n (<= 32) bits valid.
    HResult ensure(int n) {
        if (count >= n) return hr::ok;
        if (canRefill()) {
            refill();
            return hr::ok;
        }
        return throughCopy([n](LocalBits& copy) { return ensureNearEnd(copy, n); });
    }

    // Runs a parser that is not inlined on a copy of the window, then takes
    // the copy's state back.
    template <class Parse>
    HResult throughCopy(Parse parse) {
        LocalBits copy = *this;
        const HResult r = parse(copy);
        *this = copy;
        return r;
    }

    // Tops the window up to at least 56 bits without a test on its fill, for
    // loops that read a code every round; only while canRefill().
    bool canRefill() const { return reinterpret_cast<std::uintptr_t>(current) < refillStop; }
    void refill() {
        std::uint64_t v;
        std::memcpy(&v, current, 8);
        cache |= __builtin_bswap64(v) >> count;
        current += static_cast<unsigned>(63 - count) >> 3;  // unsigned: no sign extension
        count |= 56;
    }

    std::uint32_t window() const { return static_cast<std::uint32_t>(cache >> 32); }  // next 32 bits
    std::uint32_t peek(int n) const { return static_cast<std::uint32_t>(cache >> (64 - n)); }
    void skip(int n) {
        cache <<= n;
        count -= n;
    }
    std::uint32_t read(int n) {
        std::uint32_t v = peek(n);
        skip(n);
        return v;
    }

    // Hands the window back: at most 32 bits stay in the reader's cache; whole
    // bytes beyond those were read from the current sample and are given back.
    void writeBack() {
        int keep = count;
        const std::uint8_t* position = current;
        if (keep > 32) {
            const int bytes = (keep - 32 + 7) >> 3;
            keep -= 8 * bytes;
            position -= bytes;
        }
        const std::uint64_t kept = keep ? cache & (~std::uint64_t{0} << (64 - keep)) : 0;
        reader->cache = static_cast<std::uint32_t>(kept >> 32);
        reader->count = keep;
        reader->current = position;
    }

    BitReader* reader;
    std::uint64_t cache = 0;  // left-aligned; bits below `count` are zero
    int count = 0;
    const std::uint8_t* current = nullptr;
    // The first address from which an 8-byte load would leave the sample, as
    // a number (0 when no load fits), so that canRefill() is one comparison;
    // the sample ends 7 bytes after it.
    std::uintptr_t refillStop = 0;

private:
    // The last bytes of a sample, then the reader's refill across the sample
    // boundary: rare, and kept out of the parsers' code.
    __attribute__((noinline)) static HResult ensureNearEnd(LocalBits& b, int n) {
        const std::uint8_t* const end = b.reader->end;
        while (b.count <= 56 && b.current != end) {
            b.cache |= static_cast<std::uint64_t>(*b.current++) << (56 - b.count);
            b.count += 8;
        }
        if (b.count >= n) return hr::ok;
        b.writeBack();
        HResult r = b.reader->ensureBits(n);
        b.load();
        return r;
    }

    void load() {
        cache = static_cast<std::uint64_t>(reader->cache) << 32;
        count = reader->count;
        current = reader->current;
        const auto last = reinterpret_cast<std::uintptr_t>(reader->end);
        refillStop = last > 7 ? last - 7 : 0;
    }
};

}  // namespace tl
