// The transform stores written once for every tier: coefficient blocks go
// through the tier's inverse DCT, into the picture, and are left zero for the
// next macroblock. The layout part (which block goes to which rows, frame or
// field) takes a tier's row walkers: `Rows` provides transform(blocks, count)
// and zero(blocks, count), rows8<Op>(dst, stride, block) for eight rows of one
// transformed 8-wide block, rows16<Op>(dst, stride, left, right) for eight rows
// of two blocks side by side, finish(), and the two operations Intra and Add.
// The vector part gives those walkers to the 64-bit tiers (block_ops_mmx.h);
// the SSE2 tier transforms into registers instead (block_store_sse2.cpp), with
// the same operations.
#pragma once
#include <cstdint>
#include <cstring>

#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels {
namespace {

// Field forms put the first two blocks on the even lines, the other two on the
// odd lines; frame forms put them above and below.
template <class Rows, class Op, bool field>
void store16(std::uint8_t* dst, int stride, std::int16_t* blocks) {
    Rows::transform(blocks, 4);
    const int step = field ? 2 * stride : stride;
    Rows::template rows16<Op>(dst, step, blocks, blocks + 64);
    Rows::template rows16<Op>(dst + (field ? stride : 8 * stride), step, blocks + 128, blocks + 192);
    Rows::finish();
    Rows::zero(blocks, 4);
}

template <class Rows, class Op, bool field>
void store8x16(std::uint8_t* dst, int stride, std::int16_t* upper, std::int16_t* lower) {
    Rows::transform(upper, 1);
    Rows::transform(lower, 1);
    const int step = field ? 2 * stride : stride;
    Rows::template rows8<Op>(dst, step, upper);
    Rows::template rows8<Op>(dst + (field ? stride : 8 * stride), step, lower);
    Rows::finish();
    Rows::zero(upper, 1);
    Rows::zero(lower, 1);
}

template <class Rows, class Op>
void store8(std::uint8_t* dst, int stride, std::int16_t* block) {
    Rows::transform(block, 1);
    Rows::template rows8<Op>(dst, stride, block);
    Rows::finish();
    Rows::zero(block, 1);
}

template <class Rows>
constexpr BlockStores blockStores() {
    using Intra = typename Rows::Intra;
    using Add = typename Rows::Add;
    return {&store16<Rows, Intra, false>,   &store16<Rows, Intra, true>,     &store16<Rows, Add, false>,
            &store16<Rows, Add, true>,      &store8<Rows, Add>,              &store8<Rows, Intra>,
            &store8x16<Rows, Intra, false>, &store8x16<Rows, Intra, true>};
}

// Intra samples are the residual saturated to -128..127 and shifted by 128 (an
// exclusive or of the sign bit); residual adds widen the prediction to 16 bits,
// add with saturation and pack back unsigned. `low` and `high` are the
// residuals of the low and high halves of the register.
struct VectorIntra {
    template <class Ops, class V>
    static V apply(const std::uint8_t*, int, V low, V high) {
        return Ops::xor_(Ops::packs16(low, high), Ops::set8(-128));
    }
};

struct VectorAdd {
    template <class Ops, class V>
    static V apply(const std::uint8_t* dst, int stride, V low, V high) {
        const V zero = Ops::zero();
        const V p = Ops::load(dst, stride);
        return Ops::packus16(Ops::adds16(Ops::unpacklo8(p, zero), low),
                             Ops::adds16(Ops::unpackhi8(p, zero), high));
    }
};

// Row walkers on 64-bit registers (MmxOps): eight columns of one row each;
// Idct is the tier's in-place inverse DCT.
template <class Ops, void (*Idct)(std::int16_t*, int)>
struct VectorRows {
    using Intra = VectorIntra;
    using Add = VectorAdd;

    static void transform(std::int16_t* blocks, int count) { Idct(blocks, count); }
    static void zero(std::int16_t* blocks, int count) { std::memset(blocks, 0, std::size_t(count) * 128); }

    template <class Op>
    static void rows8(std::uint8_t* dst, int stride, const std::int16_t* block) {
        for (int y = 0; y < 8; ++y, dst += stride, block += 8)
            Ops::store(dst, stride, Op::template apply<Ops>(dst, stride, Ops::words(block), Ops::words(block + 4)));
    }

    template <class Op>
    static void rows16(std::uint8_t* dst, int stride, const std::int16_t* left, const std::int16_t* right) {
        rows8<Op>(dst, stride, left);
        rows8<Op>(dst + 8, stride, right);
    }

    static void finish() { Ops::finish(); }
};

}  // namespace
}  // namespace tl::kernels
