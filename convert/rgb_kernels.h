// RGB32, RGB24, RGB565 and RGB555 kernels: horizontal chroma interpolation, the
// YCbCr-to-RGB matrix of the RgbMatrixBlock, optional overlay blending, then
// the format's packing. Instantiated once per tier by rgb_<tier>.cpp; a tier
// whose registers are split into lanes (kSplitLanes) puts the bytes back in
// row order with its orderLanes and packs32InOrder.
#pragma once
#include <algorithm>
#include <array>
#include <cstdlib>
#include <type_traits>

#include "convert/dispatch.h"
#include "convert/kernel_select.h"
#include "convert/row_scratch.h"
#include "convert/simd_blocks.h"

namespace tl {
namespace {

inline std::uint32_t wordPair(std::int16_t lo, std::int16_t hi) {
    return static_cast<std::uint16_t>(lo) | static_cast<std::uint32_t>(static_cast<std::uint16_t>(hi)) << 16;
}

// Tiers that write RGB24 rows pixel pair by pixel pair.
template <class T, class = void>
constexpr bool kPairStores24 = false;
template <class T>
constexpr bool kPairStores24<T, std::void_t<decltype(T::kPairStores24)>> = T::kPairStores24;

// Tiers that interleave B, G and R bytes into RGB24 with byte shuffles.
template <class T, class = void>
constexpr bool kShuffles24 = false;
template <class T>
constexpr bool kShuffles24<T, std::void_t<decltype(&T::interleave24)>> = true;

// Tiers that convert even and odd pixels apart (see RgbOut::matrixEvenOdd).
template <class T, class = void>
constexpr bool kEvenOddPixels = false;
template <class T>
constexpr bool kEvenOddPixels<T, std::void_t<decltype(T::kEvenOddPixels)>> = T::kEvenOddPixels;

// Sub: one chroma sample per pixel pair, the odd pixel taking the average with
// the next sample (4:2:0, 4:2:2); otherwise one per pixel (4:4:4).
template <class T, int Format, bool Sub, bool Blend>
struct RgbOut {
    using V = typename T::V;
    static constexpr int W = T::kWidth;
    static constexpr int P = W;  // pixels of one step: a register of luma bytes
    static constexpr int kStepPixels = P;
    static constexpr int kStepBytes = Format == OUTPUT_RGB32 ? 4 * W : (Format == OUTPUT_RGB24 ? 3 * W : 2 * W);
    static constexpr bool kPairs24 = Format == OUTPUT_RGB24 && !Blend && kPairStores24<T>;
    static constexpr bool kShuffled24 = Format == OUTPUT_RGB24 && !Blend && kShuffles24<T>;
    static constexpr int kStepOverhang = kPairs24 ? 2 : 0;  // the last pair's 8-byte store

    // The fourth RGB32 byte is a by-product of G; the other formats drop it.
    static constexpr bool kExtra = Format == OUTPUT_RGB32;

    V lumaSub, lumaAdd, toB, toGu, toR, toGv;
    const std::uint8_t* overlay;  // the row's premultiplied B,G,R,A pixels, when blending

    // The block's luma offsets sit in byte 2 of each dword of its first two
    // parts; applied to the luma bytes before widening they act the same.
    RgbOut(const RgbMatrixBlock& m, const std::uint8_t* overlayRow)
        : lumaSub(T::set8(m.lumaSubtract[2])),
          lumaAdd(T::set8(m.lumaAdd[2])),
          toB(T::set32(wordPair(m.w[0], m.w[1]))),
          toGu(T::set32(wordPair(m.w[2], m.w[3]))),
          toR(T::set32(wordPair(m.w[4], m.w[5]))),
          toGv(T::set32(wordPair(m.w[6], m.w[7]))),
          overlay(overlayRow) {}

    // The P chroma bytes of P pixels from x.
    template <class Src>
    static V chromaOf(const Src& s, int plane, int x) {
        if constexpr (Sub) {
            const V here = s.template chroma<P / 2>(plane, x / 2);
            const V next = s.template chroma<P / 2>(plane, x / 2 + 1);
            return T::unpacklo8(here, T::avg(here, next));
        } else {
            return s.template chroma<P>(plane, x);
        }
    }

    // B, G, R and the fourth byte's value of P pixels from x, as signed
    // words, the first half of the pixels in [0], the second in [1].
    template <class Src>
    void matrix(const Src& s, int x, V (&b)[2], V (&g)[2], V (&r)[2], V (&extra)[2]) const {
        if constexpr (kEvenOddPixels<T>) {
            matrixEvenOdd(s, x, b, g, r, extra);
            return;
        }
        const V z = T::zero();
        const V k128 = T::set16(128);
        const V luma = T::addsU8(T::subsU8(s.template luma<P>(x), lumaSub), lumaAdd);
        const V cb = chromaOf(s, 0, x);
        const V cr = chromaOf(s, 1, x);
        for (int h = 0; h < 2; ++h) {
            const V y = h == 0 ? T::unpacklo8(luma, z) : T::unpackhi8(luma, z);
            const V u = T::sub16(h == 0 ? T::unpacklo8(cb, z) : T::unpackhi8(cb, z), k128);
            const V v = T::sub16(h == 0 ? T::unpacklo8(cr, z) : T::unpackhi8(cr, z), k128);
            V b32[2], g32[2], r32[2], x32[2];
            for (int q = 0; q < 2; ++q) {
                // (chroma, luma) word pairs, one pixel per dword.
                const V ul = q == 0 ? T::unpacklo16(u, y) : T::unpackhi16(u, y);
                const V vl = q == 0 ? T::unpacklo16(v, y) : T::unpackhi16(v, y);
                const V gv = T::madd16(vl, toGv);
                b32[q] = T::template sra32<13>(T::madd16(ul, toB));
                g32[q] = T::template sra32<13>(T::add32(T::madd16(ul, toGu), gv));
                r32[q] = T::template sra32<13>(T::madd16(vl, toR));
                if constexpr (kExtra) x32[q] = T::template sra32<13>(gv);
            }
            b[h] = T::packs32(b32[0], b32[1]);
            g[h] = T::packs32(g32[0], g32[1]);
            r[h] = T::packs32(r32[0], r32[1]);
            extra[h] = kExtra ? T::packs32(x32[0], x32[1]) : z;
        }
    }

    // (Cb or Cr) - 128, times 8, as words of the even pixels and of the odd
    // ones, laid out like the luma words of matrixEvenOdd.
    template <class Src>
    static void chromaEvenOdd(const Src& s, int plane, int x, V& even, V& odd) {
        const V k1024 = T::set16(1024);
        if constexpr (Sub) {
            static_assert(Src::Chroma::kRows == 1, "RGB kernels combine chroma rows before the matrix");
            const std::uint8_t* row = (plane == 0 ? s.cb : s.cr)[0] + x / 2;
            const V here = T::widen8(row);
            const V pair = T::avg16(here, T::widen8(row + 1));
            even = T::sub16(T::template sll16<3>(here), k1024);
            odd = T::sub16(T::template sll16<3>(pair), k1024);
        } else {
            const V c = s.template chroma<P>(plane, x);
            even = T::sub16(T::maddubs(c, T::set16(8)), k1024);
            odd = T::sub16(T::maddubs(c, T::set16(8 << 8)), k1024);
        }
    }

    // matrix() with the inputs scaled by 8, so that the high word of each
    // 32-bit sum is the sum shifted down by 13. Even and odd pixels go
    // through the multiply-adds apart, which lets the byte multiply-add widen
    // and scale the luma in one step and the widening loads give the chroma
    // samples of the even pixels without interleaving; one blend per result
    // then puts the even and odd high words back in pixel order, where the
    // other tiers shift and pack. The sums stay exact: |w| <= 32768, |u|, |v|
    // <= 128 and L <= 255 keep eight times a sum within 2^27, and the value
    // within 16 bits, so the 16-bit saturation the rule asks for never acts.
    template <class Src>
    void matrixEvenOdd(const Src& s, int x, V (&b)[2], V (&g)[2], V (&r)[2], V (&extra)[2]) const {
        const V luma = T::addsU8(T::subsU8(s.template luma<P>(x), lumaSub), lumaAdd);
        const V yEven = T::maddubs(luma, T::set16(8));
        const V yOdd = T::maddubs(luma, T::set16(8 << 8));
        V uEven, uOdd, vEven, vOdd;
        chromaEvenOdd(s, 0, x, uEven, uOdd);
        chromaEvenOdd(s, 1, x, vEven, vOdd);
        const auto inOrder = [](V even, V odd) { return T::oddWordsOver(T::template srl32<16>(even), odd); };
        for (int h = 0; h < 2; ++h) {
            const auto pairs = [h](V c, V y) { return h == 0 ? T::unpacklo16(c, y) : T::unpackhi16(c, y); };
            const V ulEven = pairs(uEven, yEven), ulOdd = pairs(uOdd, yOdd);
            const V vlEven = pairs(vEven, yEven), vlOdd = pairs(vOdd, yOdd);
            const V gvEven = T::madd16(vlEven, toGv), gvOdd = T::madd16(vlOdd, toGv);
            b[h] = inOrder(T::madd16(ulEven, toB), T::madd16(ulOdd, toB));
            g[h] = inOrder(T::add32(T::madd16(ulEven, toGu), gvEven), T::add32(T::madd16(ulOdd, toGu), gvOdd));
            r[h] = inOrder(T::madd16(vlEven, toR), T::madd16(vlOdd, toR));
            extra[h] = kExtra ? inOrder(gvEven, gvOdd) : T::zero();
        }
    }

    // P pixels from x as saturated B, G, R and fourth-byte bytes, one
    // register each, in the order of matrix()'s words (the fourth byte
    // zero outside RGB32).
    template <class Src>
    std::array<V, 4> colourBytes(const Src& s, int x) const {
        V b[2], g[2], r[2], extra[2];
        matrix(s, x, b, g, r, extra);
        return {T::packus16(b[0], b[1]), T::packus16(g[0], g[1]), T::packus16(r[0], r[1]),
                kExtra ? T::packus16(extra[0], extra[1]) : T::zero()};
    }

    // P pixels from x as B,G,R,X bytes in four registers, overlay blended in.
    template <class Src>
    void colour(const Src& s, int x, V (&out)[4]) const {
        const auto [bb, gg, rr, xx] = colourBytes(s, x);
        const V bgLo = T::unpacklo8(bb, gg);
        const V bgHi = T::unpackhi8(bb, gg);
        const V rxLo = T::unpacklo8(rr, xx);
        const V rxHi = T::unpackhi8(rr, xx);
        out[0] = T::unpacklo16(bgLo, rxLo);
        out[1] = T::unpackhi16(bgLo, rxLo);
        out[2] = T::unpacklo16(bgHi, rxHi);
        out[3] = T::unpackhi16(bgHi, rxHi);
        if constexpr (T::kSplitLanes) T::orderLanes(out);
        if constexpr (Blend)
            for (int i = 0; i < 4; ++i) out[i] = blendPixels(out[i], overlay + 4 * x + i * W);
    }

    // P pixels from x straight to 16-bit pixels in two registers, for rows
    // without overlay. Each pixel's high and low byte are built from the
    // saturated B, G and R bytes of all P pixels at once (16-bit shifts,
    // with masks dropping what crosses from the neighbouring byte), then
    // interleaved.
    template <class Src>
    void pixels16(const Src& s, int x, V (&out)[2]) const {
        const auto [bb, gg, rr, xx] = colourBytes(s, x);
        const auto bits = [](V v, int mask) { return T::and_(v, T::set8(mask)); };
        const V blue = bits(T::template srl16<3>(bb), 0x1F);
        V high, low;
        if constexpr (Format == OUTPUT_RGB565) {  // RRRRRGGG GGGBBBBB
            high = T::or_(bits(rr, 0xF8), bits(T::template srl16<5>(gg), 0x07));
            low = T::or_(bits(T::template sll16<3>(gg), 0xE0), blue);
        } else {  // 0RRRRRGG GGGBBBBB
            high = T::or_(bits(T::template srl16<1>(rr), 0x7C), bits(T::template srl16<6>(gg), 0x03));
            low = T::or_(bits(T::template sll16<2>(gg), 0xE0), blue);
        }
        out[0] = T::unpacklo8(low, high);
        out[1] = T::unpackhi8(low, high);
        if constexpr (T::kSplitLanes) T::orderLanes(out);
    }

    // P pixels from x as RGB24 without overlay, each pixel pair's six bytes
    // written by one 8-byte store whose last two bytes the next pair's
    // store overwrites.
    template <class Src, class Sink>
    void pairs24(const Src& s, int x, const Sink& sink) const {
        const auto [bb, gg, rr, xx] = colourBytes(s, x);
        const V low = T::set16(0x00FF);
        // One word per pixel pair each: B G of the even pixel, its R with the
        // odd pixel's B, the odd pixel's G R.
        const V bg = T::or_(T::and_(bb, low), T::template sll16<8>(gg));
        const V rb = T::or_(T::and_(rr, low), T::andnot(low, bb));
        const V gr = T::or_(T::template srl16<8>(gg), T::andnot(low, rr));
        const V z = T::zero();
        for (int h = 0; h < 2; ++h) {
            const V bgrb = h == 0 ? T::unpacklo16(bg, rb) : T::unpackhi16(bg, rb);
            const V gr0 = h == 0 ? T::unpacklo16(gr, z) : T::unpackhi16(gr, z);
            const V first = T::unpacklo32(bgrb, gr0);  // pairs 4h and 4h + 1, six bytes in each half
            const V second = T::unpackhi32(bgrb, gr0);
            sink.low8(24 * h, first);
            sink.high8(24 * h + 6, first);
            sink.low8(24 * h + 12, second);
            sink.high8(24 * h + 18, second);
        }
    }

    // P pixels from x as RGB24 without overlay, the tier's shuffles
    // interleaving the B, G and R bytes straight into three registers.
    template <class Src, class Sink>
    void shuffled24(const Src& s, int x, const Sink& put) const {
        const auto [bb, gg, rr, xx] = colourBytes(s, x);
        V out[3];
        T::interleave24(bb, gg, rr, out);
        for (int i = 0; i < 3; ++i) put(i, out[i]);
    }

    static V blendPixels(V bgrx, const std::uint8_t* o) {
        const V p = T::template load<W>(o);
        V a = T::template srl32<24>(p);
        if (T::allZero(a)) return bgrx;
        a = T::or_(a, T::template sll32<8>(a));
        a = T::or_(a, T::template sll32<16>(a));
        return blendOverlay<T>(bgrx, p, a);
    }

    // B,G,R,X dwords to 16-bit pixels, sign-extended so packs32 keeps them.
    static V to16(V d) {
        V px;
        if constexpr (Format == OUTPUT_RGB565) {
            px = T::or_(T::or_(T::and_(T::template srl32<8>(d), T::set32(0xF800)),
                               T::and_(T::template srl32<5>(d), T::set32(0x07E0))),
                        T::and_(T::template srl32<3>(d), T::set32(0x001F)));
        } else {
            px = T::or_(T::or_(T::and_(T::template srl32<9>(d), T::set32(0x7C00)),
                               T::and_(T::template srl32<6>(d), T::set32(0x03E0))),
                        T::and_(T::template srl32<3>(d), T::set32(0x001F)));
        }
        return T::template sra32<16>(T::template sll32<16>(px));
    }

    template <class Src, class Put>
    void step(const Src& s, int x, Put&& put) const {
        if constexpr (kPairs24) {
            pairs24(s, x, put);
            return;
        }
        if constexpr (kShuffled24) {
            shuffled24(s, x, put);
            return;
        }
        if constexpr ((Format == OUTPUT_RGB565 || Format == OUTPUT_RGB555) && !Blend) {
            V px[2];
            pixels16(s, x, px);
            put(0, px[0]);
            put(1, px[1]);
            return;
        }
        V c[4];
        colour(s, x, c);
        if constexpr (Format == OUTPUT_RGB32) {
            for (int i = 0; i < 4; ++i) put(i, c[i]);
        } else if constexpr (Format == OUTPUT_RGB24) {
            constexpr int C = 3 * W / 4;  // bytes of one squeezed register
            if constexpr (Blend) {  // the fourth bytes hold blended alpha; elsewhere they are 0
                const V mask = T::set32(0x00FFFFFF);
                for (int i = 0; i < 4; ++i) c[i] = T::and_(c[i], mask);
            }
            const V g0 = T::compact24(c[0]);
            const V g1 = T::compact24(c[1]);
            const V g2 = T::compact24(c[2]);
            const V g3 = T::compact24(c[3]);
            put(0, T::or_(g0, T::template shlBytes<C>(g1)));
            put(1, T::or_(T::template shrBytes<W - C>(g1), T::template shlBytes<2 * C - W>(g2)));
            put(2, T::or_(T::template shrBytes<2 * W - 2 * C>(g2), T::template shlBytes<3 * C - 2 * W>(g3)));
        } else if constexpr (T::kSplitLanes) {
            put(0, T::packs32InOrder(to16(c[0]), to16(c[1])));
            put(1, T::packs32InOrder(to16(c[2]), to16(c[3])));
        } else {
            put(0, T::packs32(to16(c[0]), to16(c[1])));
            put(1, T::packs32(to16(c[2]), to16(c[3])));
        }
    }
};

template <class T, VerticalClass C, ChromaLayout L, int Format, bool Overlay>
void convertRgb(const KernelArgs& a) {
    constexpr bool sub = L != ChromaLayout::C444;
    const int rowBytes = std::min(packedRowBytes(Format, a.width), std::abs(a.rowPitch));
    const RgbOut<T, Format, sub, false> plainOut(*a.matrix, nullptr);
    const int chromaBytes = chromaReadBytes<T>(a.width, sub);
    RowScratch combined;
    forEachRow<T, C, L == ChromaLayout::C420>(a, [&](int r, const auto& rows) {
        std::uint8_t* d = a.dst + static_cast<std::ptrdiff_t>(r) * a.rowPitch;
        const auto run = [&](const auto& src) {
            if constexpr (Overlay) {
                if (const std::uint8_t* o = overlayRow(a, r)) {
                    runRow<T>(d, rowBytes, src, RgbOut<T, Format, sub, true>(*a.matrix, o));
                    return;
                }
            }
            runRow<T>(d, rowBytes, src, plainOut);
        };
        if constexpr (std::decay_t<decltype(rows)>::Chroma::kRows == 1) {
            run(rows);
        } else {
            std::uint8_t* cb = combined.take(2 * static_cast<std::size_t>(chromaBytes));
            run(combineChroma<T>(rows, cb, cb + chromaBytes, chromaBytes));
        }
    });
    T::finish();
}

// The family for selectRgb.
template <class T>
struct SimdRgb {
    template <VerticalClass C, ChromaLayout L, int Format, bool Overlay>
    static void kernel(const KernelArgs& a) {
        convertRgb<T, C, L, Format, Overlay>(a);
    }
};

}  // namespace
}  // namespace tl
