// The block stores written once for every tier. The layout part (which block
// goes to which rows, frame or field) takes a tier's row walkers: `Rows`
// provides rows8<Op>(dst, stride, block) for eight rows of one 8-wide block,
// rows16<Op>(dst, stride, left, right) for eight rows of two blocks side by
// side, finish(), and the two operations Intra and Add. The vector part gives
// those walkers to the tiers that have an ops set (block_ops_*.h).
#pragma once
#include <cstdint>

#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels {
namespace {

// Field forms put the first two blocks on the even lines, the other two on the
// odd lines; frame forms put them above and below.
template <class Rows, class Op, bool field>
void store16(std::uint8_t* dst, int stride, const std::int16_t* blocks) {
    const int step = field ? 2 * stride : stride;
    Rows::template rows16<Op>(dst, step, blocks, blocks + 64);
    Rows::template rows16<Op>(dst + (field ? stride : 8 * stride), step, blocks + 128, blocks + 192);
    Rows::finish();
}

template <class Rows, class Op, bool field>
void store8x16(std::uint8_t* dst, int stride, const std::int16_t* upper, const std::int16_t* lower) {
    const int step = field ? 2 * stride : stride;
    Rows::template rows8<Op>(dst, step, upper);
    Rows::template rows8<Op>(dst + (field ? stride : 8 * stride), step, lower);
    Rows::finish();
}

template <class Rows, class Op>
void store8(std::uint8_t* dst, int stride, const std::int16_t* block) {
    Rows::template rows8<Op>(dst, stride, block);
    Rows::finish();
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

// Row walkers on registers: Ops8 covers 8 columns (of one or two rows), Ops16
// either 16 columns of one row or, like Ops8, 8 columns.
template <class Ops8, class Ops16>
struct VectorRows {
    using Intra = VectorIntra;
    using Add = VectorAdd;

    template <class Op>
    static void rows8(std::uint8_t* dst, int stride, const std::int16_t* block) {
        constexpr int n = Ops8::rows;
        for (int y = 0; y < 8; y += n, dst += n * stride, block += 8 * n) {
            Ops8::store(dst, stride, Op::template apply<Ops8>(dst, stride, Ops8::words(block),
                                                              Ops8::words(block + 4 * n)));
        }
    }

    template <class Op>
    static void rows16(std::uint8_t* dst, int stride, const std::int16_t* left, const std::int16_t* right) {
        using O = Ops16;
        for (int y = 0; y < 8; ++y, dst += stride, left += 8, right += 8) {
            if constexpr (O::columns == 16) {
                O::store(dst, stride, Op::template apply<O>(dst, stride, O::words(left), O::words(right)));
            } else {
                O::store(dst, stride, Op::template apply<O>(dst, stride, O::words(left), O::words(left + 4)));
                O::store(dst + 8, stride,
                         Op::template apply<O>(dst + 8, stride, O::words(right), O::words(right + 4)));
            }
        }
    }

    static void finish() { Ops8::finish(); }
};

}  // namespace
}  // namespace tl::kernels
