// The conversion kernels' vector vocabulary on 8-byte MMX registers. The row
// templates are written once against these names; the SSE2 set in
// simd_ops_sse2.h has the same members on 16-byte registers. Include only from
// files compiled for MMX (the _mmx and _sse kernel files).
#pragma once
#include <mmintrin.h>

#include <cstdint>
#include <cstring>

namespace tl {
namespace {  // each kernel file gets its own copy, compiled with its own flags

struct MmxOps {
    using V = __m64;
    static constexpr int kWidth = 8;

    static V zero() { return _mm_setzero_si64(); }
    static V set8(int b) { return _mm_set1_pi8(static_cast<char>(b)); }
    static V set16(int w) { return _mm_set1_pi16(static_cast<short>(w)); }
    static V set32(std::uint32_t d) { return _mm_set1_pi32(static_cast<int>(d)); }
    static V set64(std::uint64_t q) {
        return _mm_set_pi32(static_cast<int>(q >> 32), static_cast<int>(q & 0xFFFFFFFFu));
    }

    // Loads N bytes (2, 4 or 8) into the low lanes; the rest is zero.
    template <int N>
    static V load(const std::uint8_t* p) {
        static_assert(N == 2 || N == 4 || N == 8, "MMX loads are 2, 4 or 8 bytes");
        if constexpr (N == 8) {
            V v;
            std::memcpy(&v, p, 8);
            return v;
        } else if constexpr (N == 4) {
            std::uint32_t d;
            std::memcpy(&d, p, 4);
            return _mm_cvtsi32_si64(static_cast<int>(d));
        } else {
            std::uint16_t w;
            std::memcpy(&w, p, 2);
            return _mm_cvtsi32_si64(w);
        }
    }
    // Stores used for the whole steps of a row, and for the partial last step
    // that goes through a small buffer on the stack.
    static void store(std::uint8_t* p, V v) { std::memcpy(p, &v, 8); }
    static void storeTemp(std::uint8_t* p, V v) { std::memcpy(p, &v, 8); }
    static void prefetch(const std::uint8_t*) {}
    static void finish() { _mm_empty(); }

    // Rounded-up byte average without pavgb: (a | b) - ((a ^ b) >> 1).
    static V avg(V a, V b) {
        const V half = _mm_and_si64(_mm_srli_si64(_mm_xor_si64(a, b), 1), set8(0x7F));
        return _mm_sub_pi8(_mm_or_si64(a, b), half);
    }

    static V and_(V a, V b) { return _mm_and_si64(a, b); }
    static V or_(V a, V b) { return _mm_or_si64(a, b); }
    static V andnot(V a, V b) { return _mm_andnot_si64(a, b); }
    static V addsU8(V a, V b) { return _mm_adds_pu8(a, b); }
    static V subsU8(V a, V b) { return _mm_subs_pu8(a, b); }
    static V cmpeq8(V a, V b) { return _mm_cmpeq_pi8(a, b); }
    static V sub16(V a, V b) { return _mm_sub_pi16(a, b); }
    static V mullo16(V a, V b) { return _mm_mullo_pi16(a, b); }
    static V add32(V a, V b) { return _mm_add_pi32(a, b); }
    static V madd16(V a, V b) { return _mm_madd_pi16(a, b); }
    template <int N> static V srl16(V a) { return _mm_srli_pi16(a, N); }
    template <int N> static V sll16(V a) { return _mm_slli_pi16(a, N); }
    template <int N> static V srl32(V a) { return _mm_srli_pi32(a, N); }
    template <int N> static V sll32(V a) { return _mm_slli_pi32(a, N); }
    template <int N> static V sra32(V a) { return _mm_srai_pi32(a, N); }
    // Whole-register byte shifts toward the high (shlBytes) or low end.
    template <int N> static V shlBytes(V a) { return _mm_slli_si64(a, 8 * N); }
    template <int N> static V shrBytes(V a) { return _mm_srli_si64(a, 8 * N); }

    static V unpacklo8(V a, V b) { return _mm_unpacklo_pi8(a, b); }
    static V unpackhi8(V a, V b) { return _mm_unpackhi_pi8(a, b); }
    static V unpacklo16(V a, V b) { return _mm_unpacklo_pi16(a, b); }
    static V unpackhi16(V a, V b) { return _mm_unpackhi_pi16(a, b); }
    static V packs32(V a, V b) { return _mm_packs_pi32(a, b); }
    static V packus16(V a, V b) { return _mm_packs_pu16(a, b); }

    static bool allZero(V a) {
        return _mm_cvtsi64_si32(_mm_or_si64(a, _mm_srli_si64(a, 32))) == 0;
    }

    // Two registers of YUY2 overlay pairs (four colour bytes, then four alpha
    // bytes per pair) into one register of colours and one of alphas.
    static void splitPairs(V a, V b, V& colour, V& alpha) {
        colour = _mm_unpacklo_pi32(a, b);
        alpha = _mm_unpackhi_pi32(a, b);
    }

    // B,G,R,X dwords with X cleared, squeezed to 3 bytes per pixel at the low end.
    static V compact24(V t) {
        return _mm_or_si64(_mm_and_si64(t, set64(0xFFFFFFull)),
                           _mm_and_si64(_mm_srli_si64(t, 8), set64(0xFFFFFF000000ull)));
    }
};

}  // namespace
}  // namespace tl
