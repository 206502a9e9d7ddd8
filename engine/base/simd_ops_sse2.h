// The vector vocabulary on 16-byte SSE2 registers, named as in simd::Mmx.
// Include only from files compiled with SSE2 enabled; the unnamed namespace
// keeps each includer's copy built with its own flags.
#pragma once
#include <emmintrin.h>

#include <cstdint>

namespace tl::simd {
namespace {

struct Sse2 {
    using V = __m128i;

    static V zero() { return _mm_setzero_si128(); }
    static V set8(int b) { return _mm_set1_epi8(static_cast<char>(b)); }
    static V set16(int w) { return _mm_set1_epi16(static_cast<short>(w)); }
    static V set32(std::uint32_t d) { return _mm_set1_epi32(static_cast<int>(d)); }
    static V set64(std::uint64_t q) { return _mm_set1_epi64x(static_cast<long long>(q)); }

    static V avg(V a, V b) { return _mm_avg_epu8(a, b); }
    static V and_(V a, V b) { return _mm_and_si128(a, b); }
    static V or_(V a, V b) { return _mm_or_si128(a, b); }
    static V xor_(V a, V b) { return _mm_xor_si128(a, b); }
    static V andnot(V a, V b) { return _mm_andnot_si128(a, b); }
    static V add8(V a, V b) { return _mm_add_epi8(a, b); }
    static V sub8(V a, V b) { return _mm_sub_epi8(a, b); }
    static V addsU8(V a, V b) { return _mm_adds_epu8(a, b); }
    static V subsU8(V a, V b) { return _mm_subs_epu8(a, b); }
    static V cmpeq8(V a, V b) { return _mm_cmpeq_epi8(a, b); }
    static V add16(V a, V b) { return _mm_add_epi16(a, b); }
    static V sub16(V a, V b) { return _mm_sub_epi16(a, b); }
    static V adds16(V a, V b) { return _mm_adds_epi16(a, b); }
    static V subs16(V a, V b) { return _mm_subs_epi16(a, b); }
    static V mullo16(V a, V b) { return _mm_mullo_epi16(a, b); }
    static V mulhi16(V a, V b) { return _mm_mulhi_epi16(a, b); }
    static V add32(V a, V b) { return _mm_add_epi32(a, b); }
    static V madd16(V a, V b) { return _mm_madd_epi16(a, b); }
    template <int N> static V srl16(V a) { return _mm_srli_epi16(a, N); }
    template <int N> static V sll16(V a) { return _mm_slli_epi16(a, N); }
    template <int N> static V sra16(V a) { return _mm_srai_epi16(a, N); }
    template <int N> static V srl32(V a) { return _mm_srli_epi32(a, N); }
    template <int N> static V sll32(V a) { return _mm_slli_epi32(a, N); }
    template <int N> static V sra32(V a) { return _mm_srai_epi32(a, N); }
    template <int N> static V shlBytes(V a) { return _mm_slli_si128(a, N); }
    template <int N> static V shrBytes(V a) { return _mm_srli_si128(a, N); }

    static V unpacklo8(V a, V b) { return _mm_unpacklo_epi8(a, b); }
    static V unpackhi8(V a, V b) { return _mm_unpackhi_epi8(a, b); }
    static V unpacklo16(V a, V b) { return _mm_unpacklo_epi16(a, b); }
    static V unpackhi16(V a, V b) { return _mm_unpackhi_epi16(a, b); }
    static V unpacklo32(V a, V b) { return _mm_unpacklo_epi32(a, b); }
    static V unpackhi32(V a, V b) { return _mm_unpackhi_epi32(a, b); }
    static V packs16(V a, V b) { return _mm_packs_epi16(a, b); }
    static V packs32(V a, V b) { return _mm_packs_epi32(a, b); }
    static V packus16(V a, V b) { return _mm_packus_epi16(a, b); }

    static bool allZero(V a) { return _mm_movemask_epi8(_mm_cmpeq_epi8(a, zero())) == 0xFFFF; }
};

}  // namespace
}  // namespace tl::simd
