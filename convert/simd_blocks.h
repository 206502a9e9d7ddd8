// Building blocks of the SIMD conversion kernels, written once against a tier's
// vector vocabulary T (MmxOps, SseOps, Sse2Ops):
// - vertical operations that combine the source rows feeding one output row;
// - row accessors holding those rows for luma and chroma;
// - runRow, the loop over one output row in whole steps plus one partial step
//   that goes through a stack buffer, so nothing is written past the row;
// - the drivers that walk the output rows of a deinterlace class and hand each
//   row's accessor to the caller.
// The per-row choice of vertical operation is made in the drivers, once per
// row; the loops inside runRow test no flags.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "convert/conversion_kernels.h"
#include "convert/row_scratch.h"
#include "convert/vertical_rules.h"

namespace tl {
namespace {

struct VCopy {
    static constexpr int kRows = 1;
    template <class T>
    static typename T::V combine(const typename T::V* v) {
        return v[0];
    }
};
struct VAvg2 {
    static constexpr int kRows = 2;
    template <class T>
    static typename T::V combine(const typename T::V* v) {
        return T::avg(v[0], v[1]);
    }
};
// avg(row, avg(above, below)): the single-rate bob blend.
struct VBlend3 {
    static constexpr int kRows = 3;
    template <class T>
    static typename T::V combine(const typename T::V* v) {
        return T::avg(v[0], T::avg(v[1], v[2]));
    }
};

template <class T, class Op, int N>
inline typename T::V loadCombined(const std::uint8_t* const* rows, int offset) {
    typename T::V v[Op::kRows];
    for (int i = 0; i < Op::kRows; ++i) v[i] = T::template load<N>(rows[i] + offset);
    return Op::template combine<T>(v);
}

// The source rows of one output row of a packed format.
template <class T, class LumaOp, class ChromaOp>
struct Rows {
    using Luma = LumaOp;
    using Chroma = ChromaOp;
    const std::uint8_t* y[LumaOp::kRows];
    const std::uint8_t* cb[ChromaOp::kRows];
    const std::uint8_t* cr[ChromaOp::kRows];

    template <int N>
    typename T::V luma(int x) const {
        return loadCombined<T, LumaOp, N>(y, x);
    }
    template <int N>
    typename T::V chroma(int plane, int x) const {
        return loadCombined<T, ChromaOp, N>(plane == 0 ? cb : cr, x);
    }
    // The last row of each rule lies furthest down: the one the output row
    // above did not read, so the only one not already in the cache.
    void prefetch(int x) const {
        T::prefetch(y[LumaOp::kRows - 1] + x + T::kPrefetchDistance);
        T::prefetch(cb[ChromaOp::kRows - 1] + x / 2 + T::kPrefetchDistance);
        T::prefetch(cr[ChromaOp::kRows - 1] + x / 2 + T::kPrefetchDistance);
    }
};

// The same rows with the chroma rule applied once per sample into cb and cr
// (`bytes` of each), for kernels that read every chroma sample twice (RGB:
// here and the next sample's average) and would otherwise apply it per read.
template <class T, class Src>
Rows<T, typename Src::Luma, VCopy> combineChroma(const Src& s, std::uint8_t* cb, std::uint8_t* cr, int bytes) {
    for (int x = 0; x < bytes; x += T::kWidth) {
        T::storeTemp(cb + x, loadCombined<T, typename Src::Chroma, T::kWidth>(s.cb, x));
        T::storeTemp(cr + x, loadCombined<T, typename Src::Chroma, T::kWidth>(s.cr, x));
    }
    Rows<T, typename Src::Luma, VCopy> out;
    std::memcpy(out.y, s.y, sizeof out.y);
    out.cb[0] = cb;
    out.cr[0] = cr;
    return out;
}

// The source rows of one output row of a single plane (YV12), and the bytes
// to prefetch along it: for a copy the same row a prefetch distance ahead; for
// the bob and field rules the one row the next output row will read new, at
// the same place, so that row's start is no demand miss either (prefetching
// along the last row instead left bob and field bob at 1920x1080 about 20%
// and 35% slower).
template <class T, class Op>
struct PlaneRows {
    using Rule = Op;
    const std::uint8_t* y[Op::kRows];
    const std::uint8_t* ahead;

    template <int N>
    typename T::V luma(int x) const {
        return loadCombined<T, Op, N>(y, x);
    }
    void prefetch(int x) const { T::prefetch(ahead + x); }
};

// Where a step's bytes go: straight into the row (Temp false) or into a stack
// buffer for the row's last steps. put(i, v) writes the i-th vector of the
// step; low8 and high8 write half a vector at any byte offset of the step.
template <class T, bool Temp>
struct StepSink {
    std::uint8_t* d;
    void operator()(int i, typename T::V v) const {
        if constexpr (Temp)
            T::storeTemp(d + i * T::kWidth, v);
        else
            T::store(d + i * T::kWidth, v);
    }
    void low8(int offset, typename T::V v) const { T::storeLow8(d + offset, v); }
    void high8(int offset, typename T::V v) const { T::storeHigh8(d + offset, v); }
};

// Bytes a step of Out writes past its kStepBytes (overwritten by the next step).
template <class Out, class = void>
constexpr int kOverhang = 0;
template <class Out>
constexpr int kOverhang<Out, std::void_t<decltype(Out::kStepOverhang)>> = Out::kStepOverhang;

// Out: kStepPixels source pixels become kStepBytes output bytes through
// out.step(src, x, put), which writes through the StepSink put. Steps that
// would write past the row go through a stack buffer.
template <class T, class Out, class Src>
void runRow(std::uint8_t* dst, int rowBytes, const Src& rows, const Out& out) {
    constexpr int over = kOverhang<Out>;
    const Src src = rows;  // a local copy the stores cannot alias, so its pointers stay in registers
    int x = 0;
    int done = 0;
    for (; done + Out::kStepBytes + over <= rowBytes; done += Out::kStepBytes, x += Out::kStepPixels) {
        if ((x & 63) == 0) src.prefetch(x);  // once per 64 luma bytes: every step size divides 64
        out.step(src, x, StepSink<T, false>{dst + done});
    }
    for (; done < rowBytes; done += Out::kStepBytes, x += Out::kStepPixels) {
        alignas(16) std::uint8_t tail[Out::kStepBytes + over];
        out.step(src, x, StepSink<T, true>{tail});
        std::memcpy(dst + done, tail, static_cast<std::size_t>(std::min(rowBytes - done, Out::kStepBytes)));
    }
}

// Range expansion of YUV output: luma 16..235 and chroma 16..239 onto 0..255.
template <class T>
typename T::V correctLuma(typename T::V y) {
    const auto z = T::zero();
    const auto y1 = T::subsU8(T::addsU8(y, T::set8(20)), T::set8(36));
    const auto gain = T::set16(299);
    const auto lo = T::template srl16<8>(T::mullo16(T::unpacklo8(y1, z), gain));
    const auto hi = T::template srl16<8>(T::mullo16(T::unpackhi8(y1, z), gain));
    return T::packus16(lo, hi);
}
template <class T>
typename T::V correctChroma(typename T::V c) {
    const auto z = T::zero();
    const auto c1 = T::subsU8(T::addsU8(c, T::set8(16)), T::set8(32));
    const auto gain = T::set16(293);
    const auto lo = T::template srl16<8>(T::mullo16(T::unpacklo8(c1, z), gain));
    const auto hi = T::template srl16<8>(T::mullo16(T::unpackhi8(c1, z), gain));
    return T::packus16(lo, hi);
}

// Premultiplied overlay over converted bytes s: bytes whose alpha is 0 keep
// their value, the others become min(((s * (256 - a)) >> 8) + p, 255).
template <class T>
typename T::V blendOverlay(typename T::V s, typename T::V p, typename T::V a) {
    const auto z = T::zero();
    const auto k256 = T::set16(256);
    const auto lo = T::template srl16<8>(T::mullo16(T::unpacklo8(s, z), T::sub16(k256, T::unpacklo8(a, z))));
    const auto hi = T::template srl16<8>(T::mullo16(T::unpackhi8(s, z), T::sub16(k256, T::unpackhi8(a, z))));
    const auto mixed = T::addsU8(T::packus16(lo, hi), p);
    const auto keep = T::cmpeq8(a, z);
    return T::or_(T::and_(keep, s), T::andnot(keep, mixed));
}

// The weave-upsampled 4:2:0 chroma rows U[k] of both planes, for the bob
// classes, whose output rows read U[r - 1], U[r] and U[r + 1]: each U row is
// built once, into one of three slots, and serves every output row that
// reads it. A U row that is one source row as it stands is that row.
template <class T>
class UpsampledChroma {
public:
    // bytes: the chroma bytes of a row the kernels read, whole registers.
    UpsampledChroma(const KernelArgs& a, int bytes) : a_(a), bytes_(bytes) {
        std::uint8_t* block = scratch_.take(6 * static_cast<std::size_t>(bytes_));
        for (int i = 0; i < 3; ++i)
            for (int plane = 0; plane < 2; ++plane) slots_[i].buffer[plane] = block + (2 * i + plane) * bytes_;
    }

    // U[k] of plane 0 (Cb) or 1 (Cr). Asking for k may reuse the slot of
    // U[k - 3] or U[k + 3].
    const std::uint8_t* row(int plane, int k) {
        Slot& slot = slots_[k % 3];
        if (slot.k != k) build(slot, k);
        return slot.row[plane];
    }

private:
    struct Slot {
        int k = -1;
        std::uint8_t* buffer[2];
        const std::uint8_t* row[2];
    };

    void build(Slot& slot, int k) {
        const RowPair p = weaveChromaPair(k, a_.height, chromaRows420(a_.height));
        for (int plane = 0; plane < 2; ++plane) {
            const std::uint8_t* base = a_.planes[1 + plane];
            const std::uint8_t* pair[2] = {base + static_cast<std::ptrdiff_t>(p.a) * a_.chromaStride,
                                           base + static_cast<std::ptrdiff_t>(p.b) * a_.chromaStride};
            if (p.a == p.b) {
                slot.row[plane] = pair[0];
                continue;
            }
            for (int x = 0; x < bytes_; x += T::kWidth)
                T::storeTemp(slot.buffer[plane] + x, loadCombined<T, VAvg2, T::kWidth>(pair, x));
            slot.row[plane] = slot.buffer[plane];
        }
        slot.k = k;
    }

    const KernelArgs& a_;
    int bytes_;
    RowScratch scratch_;
    Slot slots_[3];
};

// Chroma bytes of a row that the SIMD kernels read at most: up to two steps'
// samples past the last pixel.
template <class T>
int chromaReadBytes(int width, bool subsampled) {
    return ((subsampled ? width / 2 : width) + 3 * T::kWidth) / T::kWidth * T::kWidth;
}

// Walks the output rows of a picture for vertical class C and calls
// emit(r, rows) with the accessor of each row's sources. Chroma420: the chroma
// planes have chromaRows420(height) rows and are upsampled; otherwise they have
// one row per picture row.
template <class T, VerticalClass C, bool Chroma420, class Emit>
void forEachRow(const KernelArgs& a, Emit&& emit) {
    const int h = a.height;
    const int n = Chroma420 ? chromaRows420(h) : h;
    const auto Y = [&a](int r) { return a.planes[0] + static_cast<std::ptrdiff_t>(r) * a.lumaStride; };
    const auto Cb = [&a](int i) { return a.planes[1] + static_cast<std::ptrdiff_t>(i) * a.chromaStride; };
    const auto Cr = [&a](int i) { return a.planes[2] + static_cast<std::ptrdiff_t>(i) * a.chromaStride; };
    constexpr bool bob = C == VerticalClass::Bob || C == VerticalClass::FieldTop || C == VerticalClass::FieldBottom;
    // Weave reads each U row once, so it averages the source rows as it goes.
    const auto emitUpsampled = [&](int r) {
        const RowPair p = weaveChromaPair(r, h, n);
        if (p.a == p.b)
            emit(r, Rows<T, VCopy, VCopy>{{Y(r)}, {Cb(p.a)}, {Cr(p.a)}});
        else
            emit(r, Rows<T, VCopy, VAvg2>{{Y(r)}, {Cb(p.a), Cb(p.b)}, {Cr(p.a), Cr(p.b)}});
    };
    UpsampledChroma<T> ring(a, bob && Chroma420 ? chromaReadBytes<T>(a.width, true) : 0);
    for (int r = 0; r < h; ++r) {
        if constexpr (C == VerticalClass::Progressive || (C == VerticalClass::Weave && !Chroma420)) {
            const int c = Chroma420 ? r >> 1 : r;
            emit(r, Rows<T, VCopy, VCopy>{{Y(r)}, {Cb(c)}, {Cr(c)}});
        } else if constexpr (C == VerticalClass::Weave) {
            emitUpsampled(r);
        } else if constexpr (C == VerticalClass::Bob) {
            const int up = clampRow(r - 1, h);
            const int dn = clampRow(r + 1, h);
            if constexpr (Chroma420) {
                emit(r, Rows<T, VBlend3, VBlend3>{{Y(r), Y(up), Y(dn)},
                                                  {ring.row(0, r), ring.row(0, up), ring.row(0, dn)},
                                                  {ring.row(1, r), ring.row(1, up), ring.row(1, dn)}});
            } else {
                emit(r, Rows<T, VBlend3, VBlend3>{{Y(r), Y(up), Y(dn)},
                                                  {Cb(r), Cb(up), Cb(dn)},
                                                  {Cr(r), Cr(up), Cr(dn)}});
            }
        } else {
            constexpr bool top = C == VerticalClass::FieldTop;
            if (isFieldRow(r, top)) {
                if constexpr (Chroma420)
                    emit(r, Rows<T, VCopy, VCopy>{{Y(r)}, {ring.row(0, r)}, {ring.row(1, r)}});
                else
                    emit(r, Rows<T, VCopy, VCopy>{{Y(r)}, {Cb(r)}, {Cr(r)}});
            } else {
                const int up = clampRow(r - 1, h);
                const int dn = clampRow(r + 1, h);
                if constexpr (Chroma420) {
                    emit(r, Rows<T, VAvg2, VAvg2>{{Y(up), Y(dn)},
                                                  {ring.row(0, up), ring.row(0, dn)},
                                                  {ring.row(1, up), ring.row(1, dn)}});
                } else {
                    emit(r, Rows<T, VAvg2, VAvg2>{{Y(up), Y(dn)}, {Cb(up), Cb(dn)}, {Cr(up), Cr(dn)}});
                }
            }
        }
    }
}

// The same walk over one plane treated as a picture of its own (YV12): weave
// is a copy, the bob classes apply their rule at the plane's size. Rows from
// `first` on.
template <class T, VerticalClass C, class Emit>
void forEachPlaneRow(const std::uint8_t* plane, int stride, int rows, int first, Emit&& emit) {
    const auto P = [plane, stride](int r) { return plane + static_cast<std::ptrdiff_t>(r) * stride; };
    for (int r = first; r < rows; ++r) {
        if constexpr (C == VerticalClass::Progressive || C == VerticalClass::Weave) {
            emit(r, PlaneRows<T, VCopy>{{P(r)}, P(r) + T::kPrefetchDistance});
        } else if constexpr (C == VerticalClass::Bob) {
            // Row r + 1 reads r + 2 new.
            emit(r, PlaneRows<T, VBlend3>{{P(r), P(clampRow(r - 1, rows)), P(clampRow(r + 1, rows))},
                                          P(clampRow(r + 2, rows))});
        } else {
            // An own row r is followed by the row between, which reads r + 2
            // first; a row between r is followed by one reading r + 3 first.
            if (isFieldRow(r, C == VerticalClass::FieldTop))
                emit(r, PlaneRows<T, VCopy>{{P(r)}, P(clampRow(r + 2, rows))});
            else
                emit(r, PlaneRows<T, VAvg2>{{P(clampRow(r - 1, rows)), P(clampRow(r + 1, rows))},
                                            P(clampRow(r + 3, rows))});
        }
    }
}

}  // namespace
}  // namespace tl
