// motion_vectors(s): field selects, motion codes, residuals and predictors, and
// the dual-prime derived vectors. The parser is inline, for the slice loop's
// bit window to stay in registers.
#pragma once
#include <cstdint>

#include "engine/macroblock/local_bits.h"
#include "engine/macroblock/macroblock_flags.h"
#include "engine/macroblock/macroblock_modes.h"
#include "engine/macroblock/parser_state.h"
#include "engine/macroblock/picture_params.h"

namespace tl {

// The difference motion_code (its `magnitude`, negative when `negative` is
// all ones) and motion_residual give, for r_size = f_code - 1.
inline std::int32_t vectorDelta(std::uint32_t magnitude, std::int32_t negative, std::uint32_t motion_residual,
                                int r_size) {
    const auto size = static_cast<std::int32_t>(((magnitude - 1) << r_size) + motion_residual + 1);
    return (size ^ negative) - negative;
}

// The prediction plus `delta`, wrapped into the range of r_size, when `coded`
// is all ones; the prediction as it is when `coded` is zero (a zero
// motion_code). Whether the code is zero is too random for a branch, so both
// are formed and one is kept by mask.
inline std::int32_t wrapVector(std::int32_t prediction, std::int32_t delta, std::int32_t coded, int r_size) {
    const std::int32_t high = 16 << r_size;
    const std::int32_t range = 32 << r_size;
    std::int32_t v = prediction + delta;
    v -= v >= high ? range : 0;
    v += v < -high ? range : 0;
    return prediction ^ ((v ^ prediction) & coded);
}

// The reconstruction of one vector component from its predictor:
// f_code - 1 = r_size, motion_code, motion_residual.
inline std::int32_t reconstructVectorComponent(std::int32_t prediction, std::int32_t motion_code,
                                               std::uint32_t motion_residual, int r_size) {
    const std::int32_t negative = motion_code >> 31;
    const auto magnitude = static_cast<std::uint32_t>((motion_code ^ negative) - negative);
    return wrapVector(prediction, vectorDelta(magnitude, negative, motion_residual, r_size),
                      motion_code != 0 ? -1 : 0, r_size);
}

namespace motion_code_tables {

// motion_code magnitude and code length (without the sign) from the leading
// bits; length 0 for a bit pattern that is not a code.
struct MotionCode {
    std::int32_t magnitude;
    int length;
};

constexpr int leadingZeros(std::uint32_t w) {
    int zeros = 0;
    for (std::uint32_t bit = 0x80000000u; bit && !(w & bit); bit >>= 1) ++zeros;
    return zeros;
}

constexpr MotionCode motionCode(std::uint32_t w) {
    const int zeros = leadingZeros(w);
    switch (zeros) {
    case 0: return {0, 1};
    case 1: case 2: case 3: return {zeros, zeros + 1};
    case 4:  // 0000 11, 0000 101, 0000 100
        if (w & (1u << 26)) return {4, 6};
        return {(w & (1u << 25)) ? 5 : 6, 7};
    case 5:  // 0000 011, 0000 0101 x, 0000 0100 1, 0000 0100 0x
        if (w & (1u << 25)) return {7, 7};
        if (w & (1u << 24)) return {9 - static_cast<std::int32_t>((w >> 23) & 1), 9};
        if (w & (1u << 23)) return {10, 9};
        return {12 - static_cast<std::int32_t>((w >> 22) & 1), 10};
    case 6: {  // 0000 0011 xx
        const std::uint32_t t = (w >> 22) & 7;
        if (t >= 4) return {16 - static_cast<std::int32_t>(t & 3), 10};
        return {0, 0};
    }
    default: return {0, 0};
    }
}

// Every code and what follows it up to 11 bits, looked up in one step: the
// decision tree above costs a mispredicted branch on most vectors.
inline constexpr int kMotionCodeBits = 11;
struct PackedMotionCode {
    std::int8_t magnitude;
    std::int8_t length;
};
struct MotionCodeTable {
    PackedMotionCode codes[1 << kMotionCodeBits];
};

constexpr MotionCodeTable makeMotionCodeTable() {
    MotionCodeTable t{};
    for (std::uint32_t i = 0; i < (1u << kMotionCodeBits); ++i) {
        const MotionCode c = motionCode(i << (32 - kMotionCodeBits));
        t.codes[i] = PackedMotionCode{static_cast<std::int8_t>(c.magnitude), static_cast<std::int8_t>(c.length)};
    }
    return t;
}
inline constexpr MotionCodeTable kMotionCodes = makeMotionCodeTable();

// One component: motion_code, motion_residual, then dmvector when dual prime.
__attribute__((always_inline)) inline HResult parseComponent(LocalBits& b, int r_size, std::int32_t& pmv,
                                                             bool halve, bool dualPrime, std::int32_t& dmvector,
                                                             std::uint32_t& errors) {
    if (HResult r = b.ensure(21); r != hr::ok) return r;
    const PackedMotionCode code = kMotionCodes.codes[b.window() >> (32 - kMotionCodeBits)];
    if (!code.length) {
        ++errors;
        return kBitstreamError;
    }
    // The sign bit and the residual follow a nonzero code only: they are read
    // regardless, and what they give is dropped for a zero code (wrapVector).
    const std::uint32_t after = b.window() << code.length;
    const std::int32_t coded = code.magnitude ? -1 : 0;
    const auto residual = static_cast<std::uint32_t>(static_cast<std::uint64_t>(after << 1) << r_size >> 32);
    b.skip(code.length + ((1 + r_size) & coded));
    const std::int32_t negative = static_cast<std::int32_t>(after) >> 31;
    const std::int32_t delta = vectorDelta(static_cast<std::uint32_t>(code.magnitude), negative, residual, r_size);
    const std::int32_t prediction = halve ? pmv >> 1 : pmv;
    const std::int32_t v = wrapVector(prediction, delta, coded, r_size);
    pmv = halve ? v * 2 : v;
    if (dualPrime) {
        if (!b.read(1))
            dmvector = 0;
        else
            dmvector = b.read(1) ? -1 : 1;
    }
    return hr::ok;
}

}  // namespace motion_code_tables

// The vectors of direction s (0 forward, 1 backward): updates PMV[.][s], the
// field-select bits of modes.flags and, for dual prime, dmvector. A motion code
// that is not in the code list counts one error and returns kBitstreamError.
__attribute__((always_inline)) inline HResult parseMotionVectors(LocalBits& bits, const PictureParams& params,
                                                                 ParserState& state, MacroblockModes& modes, int s) {
    using motion_code_tables::parseComponent;
    const bool dualPrime = motionTypeOf(modes.flags) == MC_DUAL_PRIME;
    const int rh = params.r_size[s][0];
    const int rv = params.r_size[s][1];
    // With `copy` the second vector takes the first one's value, component by
    // component: copying the pair afterwards as one 64-bit word would wait for
    // the two 32-bit stores to retire.
    auto vector = [&](int r, bool copy) __attribute__((always_inline)) -> HResult {
        std::int32_t* pmv = state.PMV[r][s];
        if (HResult res = parseComponent(bits, rh, pmv[0], false, dualPrime, state.dmvector[0], state.errors);
            res != hr::ok)
            return res;
        if (copy) state.PMV[1][s][0] = pmv[0];
        const HResult res =
            parseComponent(bits, rv, pmv[1], modes.halveVertical, dualPrime, state.dmvector[1], state.errors);
        if (copy && res == hr::ok) state.PMV[1][s][1] = pmv[1];
        return res;
    };

    if (modes.vectorCount == 2) {
        for (int r = 0; r < 2; ++r) {
            if (HResult res = bits.ensure(1); res != hr::ok) return res;
            if (bits.read(1)) modes.flags |= mb::fieldSelect(r, s);
            if (HResult res = vector(r, false); res != hr::ok) return res;
        }
        return hr::ok;
    }
    if (!modes.frameFormat && !dualPrime) {
        if (HResult res = bits.ensure(1); res != hr::ok) return res;
        if (bits.read(1)) modes.flags |= mb::fieldSelect(0, s) | mb::fieldSelect(1, s);
    }
    return vector(0, true);
}

// Dual prime: from the decoded forward vector and dmvector, the derived
// opposite-parity vectors go into the backward predictors and the field-select
// bits are set to the parities they stand for.
void applyDualPrime(const PictureParams& params, ParserState& state, std::uint32_t& flags);

}  // namespace tl
