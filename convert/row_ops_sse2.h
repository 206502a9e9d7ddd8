// The conversion kernels' vector vocabulary on 16-byte SSE2 registers (same
// members as MmxOps). Whole steps are written with aligned non-temporal stores,
// so the dispatcher chooses this tier only for 16-byte-aligned rows. Include
// only from files compiled for SSE2.
#pragma once
#include <emmintrin.h>

#include <cstdint>

namespace tl {
namespace {  // each kernel file gets its own copy, compiled with its own flags

struct Sse2UnalignedOps;

struct Sse2Ops {
    using V = __m128i;
    using Unaligned = Sse2UnalignedOps;
    static constexpr int kWidth = 16;
    static constexpr int kPrefetchDistance = 512;

    static V zero() { return _mm_setzero_si128(); }
    static V set8(int b) { return _mm_set1_epi8(static_cast<char>(b)); }
    static V set16(int w) { return _mm_set1_epi16(static_cast<short>(w)); }
    static V set32(std::uint32_t d) { return _mm_set1_epi32(static_cast<int>(d)); }
    static V set64(std::uint64_t q) { return _mm_set1_epi64x(static_cast<long long>(q)); }

    // Loads N bytes (4, 8 or 16) into the low lanes; the rest is zero.
    template <int N>
    static V load(const std::uint8_t* p) {
        static_assert(N == 4 || N == 8 || N == 16, "SSE2 loads are 4, 8 or 16 bytes");
        if constexpr (N == 16) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        } else if constexpr (N == 8) {
            return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
        } else {
            std::int32_t d;
            __builtin_memcpy(&d, p, 4);
            return _mm_cvtsi32_si128(d);
        }
    }
    static void store(std::uint8_t* p, V v) { _mm_stream_si128(reinterpret_cast<__m128i*>(p), v); }
    static void storeTemp(std::uint8_t* p, V v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
    static void prefetch(const std::uint8_t* p) {
        _mm_prefetch(reinterpret_cast<const char*>(p) + kPrefetchDistance, _MM_HINT_NTA);
    }
    static void finish() { _mm_sfence(); }

    static V avg(V a, V b) { return _mm_avg_epu8(a, b); }
    static V and_(V a, V b) { return _mm_and_si128(a, b); }
    static V or_(V a, V b) { return _mm_or_si128(a, b); }
    static V andnot(V a, V b) { return _mm_andnot_si128(a, b); }
    static V addsU8(V a, V b) { return _mm_adds_epu8(a, b); }
    static V subsU8(V a, V b) { return _mm_subs_epu8(a, b); }
    static V cmpeq8(V a, V b) { return _mm_cmpeq_epi8(a, b); }
    static V sub16(V a, V b) { return _mm_sub_epi16(a, b); }
    static V mullo16(V a, V b) { return _mm_mullo_epi16(a, b); }
    static V add32(V a, V b) { return _mm_add_epi32(a, b); }
    static V madd16(V a, V b) { return _mm_madd_epi16(a, b); }
    template <int N> static V srl16(V a) { return _mm_srli_epi16(a, N); }
    template <int N> static V sll16(V a) { return _mm_slli_epi16(a, N); }
    template <int N> static V srl32(V a) { return _mm_srli_epi32(a, N); }
    template <int N> static V sll32(V a) { return _mm_slli_epi32(a, N); }
    template <int N> static V sra32(V a) { return _mm_srai_epi32(a, N); }
    template <int N> static V shlBytes(V a) { return _mm_slli_si128(a, N); }
    template <int N> static V shrBytes(V a) { return _mm_srli_si128(a, N); }

    static V unpacklo8(V a, V b) { return _mm_unpacklo_epi8(a, b); }
    static V unpackhi8(V a, V b) { return _mm_unpackhi_epi8(a, b); }
    static V unpacklo16(V a, V b) { return _mm_unpacklo_epi16(a, b); }
    static V unpackhi16(V a, V b) { return _mm_unpackhi_epi16(a, b); }
    static V packs32(V a, V b) { return _mm_packs_epi32(a, b); }
    static V packus16(V a, V b) { return _mm_packus_epi16(a, b); }

    static bool allZero(V a) { return _mm_movemask_epi8(_mm_cmpeq_epi8(a, zero())) == 0xFFFF; }

    static void splitPairs(V a, V b, V& colour, V& alpha) {
        const V lo = _mm_unpacklo_epi32(a, b);  // c0 c2 a0 a2
        const V hi = _mm_unpackhi_epi32(a, b);  // c1 c3 a1 a3
        colour = _mm_unpacklo_epi32(lo, hi);
        alpha = _mm_unpackhi_epi32(lo, hi);
    }

    static V compact24(V t) {
        const V q = _mm_or_si128(_mm_and_si128(t, set64(0xFFFFFFull)),
                                 _mm_and_si128(_mm_srli_epi64(t, 8), set64(0xFFFFFF000000ull)));
        const V lowQword = _mm_set_epi32(0, 0, -1, -1);
        return _mm_or_si128(_mm_and_si128(q, lowQword), _mm_srli_si128(_mm_andnot_si128(lowQword, q), 2));
    }
};

// The same tier storing with ordinary unaligned stores, for planes whose rows
// are not 16-byte aligned (YV12 chroma at a pitch of 8 modulo 16).
struct Sse2UnalignedOps : Sse2Ops {
    static void store(std::uint8_t* p, V v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
};

}  // namespace
}  // namespace tl
