// The column pass of the inverse DCT, written once for 64- and 128-bit
// registers (block_ops_*.h): each register holds the same columns of one row.
// Include only from the tier files; the unnamed namespace keeps each
// includer's copy built with its own flags.
#pragma once
#include "engine/macroblock/idct_constants.h"

namespace tl::kernels {
namespace {

// Rows of the row-pass results the caller knows to be zero and leaves unset:
// adding, subtracting or multiplying a zero changes nothing, even with
// saturation, so the column pass drops every term that involves them.
enum class IdctZeroRows { none, fourToSix, fourToSeven };

// The odd part's middle pair: (x + y) and (x - y) times cos(pi/4), doubled
// back to full scale after the high-half multiply.
template <class Ops>
inline void cos4Pair(typename Ops::V x, typename Ops::V y, typename Ops::V& sum, typename Ops::V& difference) {
    const typename Ops::V cos4 = Ops::set16(idct::cos4);
    const typename Ops::V h1 = Ops::mulhi16(Ops::adds16(x, y), cos4);
    const typename Ops::V h2 = Ops::mulhi16(Ops::subs16(x, y), cos4);
    sum = Ops::adds16(h1, h1);
    difference = Ops::adds16(h2, h2);
}

// The last stage of the column pass: output rows k and 7 - k from the even
// part e and the odd part o of pair k, scaled down.
template <class Ops, int step>
inline void storeColumnPair(typename Ops::V* out, int k, typename Ops::V e, typename Ops::V o) {
    constexpr int shift = idct::columnShift;
    out[k * step] = Ops::template sra16<shift>(Ops::adds16(e, o));
    out[(7 - k) * step] = Ops::template sra16<shift>(Ops::subs16(e, o));
}

// The column pass over the row-pass results, written to `out`; row i of both is
// r[i * step] and out[i * step].
template <class Ops, IdctZeroRows zero, int step>
inline void idctColumns(const typename Ops::V* r, typename Ops::V* out) {
    using V = typename Ops::V;
    const V tg1 = Ops::set16(idct::tg1);
    const V tg2 = Ops::set16(idct::tg2);
    const V tg3 = Ops::set16(idct::tg3);
    const auto row = [r](int i) { return r[i * step]; };

    V t0, t1, tm26, tp26, tp17, tm17, tm35, tp35;
    if constexpr (zero == IdctZeroRows::fourToSeven) {
        t0 = row(0);
        t1 = row(0);
        tm26 = row(2);
        tp26 = Ops::mulhi16(row(2), tg2);
        tp17 = Ops::mulhi16(row(1), tg1);
        tm17 = row(1);
        tm35 = row(3);
        tp35 = Ops::adds16(Ops::mulhi16(row(3), tg3), row(3));
    } else if constexpr (zero == IdctZeroRows::fourToSix) {
        t0 = row(0);
        t1 = row(0);
        tm26 = row(2);
        tp26 = Ops::mulhi16(row(2), tg2);
        tp17 = Ops::subs16(Ops::mulhi16(row(1), tg1), row(7));
        tm17 = Ops::adds16(Ops::mulhi16(row(7), tg1), row(1));
        tm35 = row(3);
        tp35 = Ops::adds16(Ops::mulhi16(row(3), tg3), row(3));
    } else {
        t0 = Ops::adds16(row(0), row(4));
        t1 = Ops::subs16(row(0), row(4));
        tm26 = Ops::adds16(row(2), Ops::mulhi16(row(6), tg2));
        tp26 = Ops::subs16(Ops::mulhi16(row(2), tg2), row(6));
        tp17 = Ops::subs16(Ops::mulhi16(row(1), tg1), row(7));
        tm17 = Ops::adds16(Ops::mulhi16(row(7), tg1), row(1));
        tm35 = Ops::adds16(Ops::adds16(Ops::mulhi16(row(5), tg3), row(5)), row(3));
        tp35 = Ops::subs16(Ops::adds16(Ops::mulhi16(row(3), tg3), row(3)), row(5));
    }

    const V a0 = Ops::adds16(t0, tm26);
    const V a3 = Ops::subs16(t0, tm26);
    const V a1 = Ops::adds16(t1, tp26);
    const V a2 = Ops::subs16(t1, tp26);

    const V b0 = Ops::adds16(tm17, tm35);
    const V t2 = Ops::subs16(tm17, tm35);
    const V s = Ops::adds16(tp17, tp35);
    const V d = Ops::subs16(tp17, tp35);

    V b1, b2;
    cos4Pair<Ops>(t2, s, b1, b2);

    storeColumnPair<Ops, step>(out, 0, a0, b0);
    storeColumnPair<Ops, step>(out, 1, a1, b1);
    storeColumnPair<Ops, step>(out, 2, a2, b2);
    storeColumnPair<Ops, step>(out, 3, a3, d);
}

// The column pass when rows 1..6 had no coefficients: they leave the row pass
// as their rounders' outputs, 1 in rows 1 and 2 and 0 below, whose products
// with the column constants are all 0, so the terms of those rows fold into
// +-1 on the even side and nothing on the odd side. Only r[0] and r[7 * step]
// are read.
static_assert(idct::zeroRowOutput(1) == 1 && idct::zeroRowOutput(2) == 1 && idct::zeroRowOutput(3) == 0 &&
              idct::zeroRowOutput(4) == 0 && idct::zeroRowOutput(5) == 0 && idct::zeroRowOutput(6) == 0);
static_assert(idct::tg1 > 0 && idct::tg2 > 0, "a product of 1 with the constant must vanish");
template <class Ops, int step>
inline void idctColumnsOuterRows(const typename Ops::V* r, typename Ops::V* out) {
    using V = typename Ops::V;
    const V one = Ops::set16(1);
    const V r0 = r[0];
    const V r7 = r[7 * step];
    const V a0 = Ops::adds16(r0, one);
    const V a3 = Ops::subs16(r0, one);
    const V tp17 = Ops::subs16(Ops::zero(), r7);
    const V tm17 = Ops::adds16(Ops::mulhi16(r7, Ops::set16(idct::tg1)), one);
    V b1, b2;
    cos4Pair<Ops>(tm17, tp17, b1, b2);

    storeColumnPair<Ops, step>(out, 0, a0, tm17);
    storeColumnPair<Ops, step>(out, 1, r0, b1);
    storeColumnPair<Ops, step>(out, 2, r0, b2);
    storeColumnPair<Ops, step>(out, 3, a3, tp17);
}

}  // namespace
}  // namespace tl::kernels
