// The coefficient loop and the decoders of a whole macroblock's dense blocks,
// inline so that the slice loop's bit window stays in registers through the
// blocks (see LocalBits) instead of going through a copy on every coded
// macroblock: the run/level step tables, the AC loop, the intra DC
// differentials. coefficients.cpp builds the tables and the single-block and
// run-level forms on the same loop.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/macroblock/dct_coefficient_tables.h"
#include "engine/macroblock/local_bits.h"

namespace tl {

// All blocks of one intra macroblock (DC difference, then AC codes, per block),
// read through one bit window. The blocks are zeroed by the caller; the DC
// predictors are updated.
struct IntraBlockJob {
    std::int16_t* blocks;  // block_count consecutive blocks
    int blockCount;
    const std::uint16_t* lumaWeights;
    const std::uint16_t* chromaWeights;
    const std::uint8_t* scan;
    bool b15;       // intra_vlc_format
    int dcShift;    // 3 - intra_dc_precision
    std::int32_t* dcPredictors;  // Y, Cb, Cr
};
namespace coefficient_loop {

constexpr int leadingZeros(std::uint32_t w) { return w ? __builtin_clz(w) : 32; }

// One code as the coefficient loop uses it: how far it moves the scan
// position (run + 1), the factor its weight is multiplied by (the level for
// intra blocks, 2 * level + 1 for the others, whose reconstruction adds half
// a step), and the code length: with the sign bit for run/level codes, so
// that the window moves on by the stored length alone, the one step of a
// code that the next code waits for. Entries without a factor are not
// run/level codes; `kind` tells them apart.
struct CodeStep {
    std::uint8_t advance;
    std::uint8_t factor;
    std::uint8_t length;
    std::uint8_t kind;
};

using ShortSteps = std::array<CodeStep, 256>;

// Codes with six to eleven leading zeros, by the leading zeros and the four
// bits after the leading one (for six zeros only three of them count, so
// entries come in pairs): one lookup instead of a jump per length.
using LongSteps = std::array<CodeStep, 6 * 16>;

// The tables of one kind of block: its first code, the codes after it, and
// the long codes.
struct StepTables {
    ShortSteps first;
    ShortSteps next;
    LongSteps longCodes;
};

// Built when the module loads (coefficients.cpp).
extern const StepTables kIntraB14;
extern const StepTables kIntraB15;
extern const StepTables kNonIntra;

// Writes coefficients into a dense block; mismatch control toggles bit 0 of
// coefficient 63.
struct BlockSink {
    std::int16_t* block;
    void put(int natural, int, std::int32_t value) { block[natural] = static_cast<std::int16_t>(value); }
    void endOfBlock(std::uint32_t parity, int) { block[63] ^= static_cast<std::int16_t>(parity & 1); }
};

// The one coefficient loop behind all six decoders. `position` is the scan
// position of the last stored coefficient (0 after an intra DC, -1 before the
// first coefficient of a non-intra block); `parity` the running XOR of the
// stored values, starting at 1.
template <bool Intra, class Sink>
inline HResult decodeAc(LocalBits& b, const StepTables& tables, const std::uint16_t* weights,
                        const std::uint8_t* scan, std::ptrdiff_t position, std::uint32_t parity, Sink& sink,
                        std::uint32_t& errors) {
    const CodeStep* codes = tables.first.data();
    enum Step { NEXT, END, BAD };
    // One code from a window holding at least 24 bits.
    const auto step = [&]() -> Step {
        // The short-code lookup indexes straight from the 64-bit window: the
        // chain from one code to the next is that load and one shift.
        const auto top = static_cast<std::uint32_t>(b.cache >> 56);
        const std::uint32_t w = b.window();
        const CodeStep* shortCodes = codes;
        codes = tables.next.data();
        std::uint32_t advance;
        std::uint32_t factor;
        // All ones for a negative value: random signs would defeat a branch,
        // so the value is negated by mask.
        std::int32_t sign;
        if (top >= 4) {  // at most five leading zeros
            const CodeStep& e = shortCodes[top];
            // Only run/level codes have a factor; the kind decides the rest.
            // Nearly every code is one: the expectation keeps the others out
            // of the loop's straight path.
            if (__builtin_expect(e.factor != 0, 1)) {
                advance = e.advance;
                factor = e.factor;
                sign = static_cast<std::int32_t>(w << (e.length - 1)) >> 31;
                b.skip(e.length);
            } else if (e.kind == DCT_END_OF_BLOCK) {
                b.skip(e.length);
                return END;
            } else {
                // Escape: 6-bit run, 12-bit signed level.
                advance = ((w >> 20) & 63) + 1;
                const std::int32_t signedLevel = static_cast<std::int32_t>(w << 12) >> 20;
                sign = signedLevel >> 31;
                const auto level = static_cast<std::uint32_t>((signedLevel ^ sign) - sign);
                factor = Intra ? level : 2 * level + 1;
                b.skip(24);
            }
        } else {
            const int zeros = leadingZeros(w);
            if (zeros > 11) {
                ++errors;
                return BAD;
            }
            const CodeStep& e = tables.longCodes[std::size_t((zeros - 6) * 16 + ((w >> (27 - zeros)) & 15))];
            advance = e.advance;
            factor = e.factor;
            sign = static_cast<std::int32_t>(w << (e.length - 1)) >> 31;
            b.skip(e.length);
        }
        position += static_cast<std::ptrdiff_t>(advance);
        if (position > 63) {
            ++errors;
            return BAD;
        }
        const int natural = scan[position];
        std::int32_t v = static_cast<std::int32_t>((factor * weights[natural]) >> (Intra ? 4 : 5));
        v = (v ^ sign) - sign;
        sink.put(natural, static_cast<int>(advance - 1), v);
        parity ^= static_cast<std::uint32_t>(v);
        return NEXT;
    };
    for (;;) {
        Step s;
        if (b.canRefill()) {
            // Topped up without a test on its fill, which depends on code
            // lengths no predictor can follow, the window's 56 bits hold two
            // codes of at most 24 bits.
            b.refill();
            s = step();
            if (s == NEXT) s = step();
        } else {
            if (HResult r = b.ensure(24); r != hr::ok) return r;
            s = step();
        }
        if (s == END) break;
        if (s == BAD) return kBitstreamError;
    }
    sink.endOfBlock(parity, static_cast<int>(position) + 1);
    return hr::ok;
}

// A DC size code: its length and the size of the differential after it.
struct DcSizeCode {
    std::uint8_t length;
    std::uint8_t size;
};

// dct_dc_size_luminance (Table B-12) from the leading bits.
constexpr DcSizeCode lumaSizeCode(std::uint32_t w) {
    if (!(w & 0x80000000u)) return {2, static_cast<std::uint8_t>(1 + ((w >> 30) & 1))};
    if ((w >> 29) != 7) {
        constexpr std::uint8_t kSizes[4] = {0, 3, 4, 0};  // 100, 101, 110
        return {3, kSizes[(w >> 29) & 3]};
    }
    int ones = leadingZeros(~w);
    if (ones > 9) ones = 9;
    return {static_cast<std::uint8_t>(ones == 9 ? 9 : ones + 1), static_cast<std::uint8_t>(ones + 2)};
}

// dct_dc_size_chrominance (Table B-13) from the leading bits.
constexpr DcSizeCode chromaSizeCode(std::uint32_t w) {
    if ((w >> 30) != 3) return {2, static_cast<std::uint8_t>(w >> 30)};
    int ones = leadingZeros(~w);
    if (ones > 10) ones = 10;
    return {static_cast<std::uint8_t>(ones == 10 ? 10 : ones + 1), static_cast<std::uint8_t>(ones + 1)};
}

// Both codes by their longest prefix (9 and 10 bits) in one lookup: the sizes
// of neighbouring blocks vary too much for the decision tree's branches.
template <int Bits>
struct DcSizeTable {
    DcSizeCode codes[1 << Bits];
};
template <int Bits>
constexpr DcSizeTable<Bits> dcSizeTable(DcSizeCode (*code)(std::uint32_t)) {
    DcSizeTable<Bits> t{};
    for (std::uint32_t i = 0; i < (1u << Bits); ++i) t.codes[i] = code(i << (32 - Bits));
    return t;
}
inline constexpr DcSizeTable<9> kLumaSizes = dcSizeTable<9>(lumaSizeCode);
inline constexpr DcSizeTable<10> kChromaSizes = dcSizeTable<10>(chromaSizeCode);

// Skips the size code at the front of the window and reads the differential
// that follows it (none when the size is 0), without a branch on the size.
inline void sizedDifferential(LocalBits& b, DcSizeCode c, std::int32_t& differential) {
    b.skip(c.length);
    const int size = c.size;
    // The top `size` bits; the split shift keeps a size of 0 defined.
    const std::int32_t v = static_cast<std::int32_t>((b.cache >> 1) >> (63 - size));
    b.skip(size);
    // Below half the range the differential is negative: v - (2 * half - 1).
    // The sign of neighbouring differentials is random, so it is applied by
    // mask (all ones when v < half; both are below 2^11).
    const std::int32_t half = (1 << size) >> 1;
    const std::int32_t negative = (v - half) >> 31;
    differential = v - ((2 * half - 1) & negative);
}

inline HResult dcLuma(LocalBits& b, std::int32_t& differential) {
    if (HResult r = b.ensure(20); r != hr::ok) return r;
    sizedDifferential(b, kLumaSizes.codes[b.window() >> (32 - 9)], differential);
    return hr::ok;
}

inline HResult dcChroma(LocalBits& b, std::int32_t& differential) {
    if (HResult r = b.ensure(21); r != hr::ok) return r;
    sizedDifferential(b, kChromaSizes.codes[b.window() >> (32 - 10)], differential);
    return hr::ok;
}

template <bool B15>
inline HResult intraBlocks(LocalBits& bits, const IntraBlockJob& job, std::uint32_t& errors) {
    const StepTables& tables = B15 ? kIntraB15 : kIntraB14;
    LocalBits b = bits;
    HResult r = hr::ok;
    for (int i = 0; i < job.blockCount; ++i) {
        std::int16_t* block = job.blocks + 64 * i;
        std::int32_t differential;
        int component = 0;
        if (i < 4) {
            r = dcLuma(b, differential);
        } else {
            component = 1 + ((i - 4) & 1);
            r = dcChroma(b, differential);
        }
        if (r != hr::ok) break;
        job.dcPredictors[component] += differential;
        block[0] = static_cast<std::int16_t>(job.dcPredictors[component] * (1 << job.dcShift));
        BlockSink sink{block};
        r = decodeAc<true>(b, tables, i < 4 ? job.lumaWeights : job.chromaWeights, job.scan, 0,
                           1u ^ static_cast<std::uint32_t>(block[0]), sink, errors);
        if (r != hr::ok) break;
    }
    bits = b;
    return r;
}

}  // namespace coefficient_loop

// All blocks of one intra macroblock: see IntraBlockJob.
inline HResult decodeIntraBlocks(LocalBits& bits, const IntraBlockJob& job, std::uint32_t& errors) {
    return job.b15 ? coefficient_loop::intraBlocks<true>(bits, job, errors)
                   : coefficient_loop::intraBlocks<false>(bits, job, errors);
}

// The coded blocks of one non-intra macroblock, stored one after the other
// from `blocks` (zeroed by the caller). `pattern` has block 0 in bit 31.
inline HResult decodeNonIntraBlocks(LocalBits& bits, std::int16_t* blocks, std::uint32_t pattern,
                                    const std::uint16_t* lumaWeights, const std::uint16_t* chromaWeights,
                                    const std::uint8_t* scan, std::uint32_t& errors) {
    using namespace coefficient_loop;
    LocalBits b = bits;
    HResult r = hr::ok;
    // Straight from one coded block to the next: which blocks are coded is
    // too random for a branch per block.
    while (pattern) {
        const int i = __builtin_clz(pattern);
        pattern &= ~(0x80000000u >> i);
        BlockSink sink{blocks};
        blocks += 64;
        r = decodeAc<false>(b, kNonIntra, i < 4 ? lumaWeights : chromaWeights, scan, -1, 1u, sink, errors);
        if (r != hr::ok) break;
    }
    bits = b;
    return r;
}

}  // namespace tl
