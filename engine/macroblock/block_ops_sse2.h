// The block kernels' vector vocabulary on 16-byte SSE2 registers, named as in
// MmxOps, with the byte average: Sse2Ops holds sixteen samples of one picture
// row, Sse2RowPairOps eight samples of each of two rows. Include only from files
// compiled with SSE2 enabled; the unnamed namespace keeps each includer's copy
// built with its own flags.
#pragma once
#include <emmintrin.h>

#include <cstdint>

namespace tl::kernels {
namespace {

struct Sse2Ops {
    using V = __m128i;
    static constexpr int columns = 16;
    static constexpr int rows = 1;

    static V load(const std::uint8_t* p, int = 0) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static void store(std::uint8_t* p, int, V v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
    // Eight coefficients, 16-byte aligned.
    static V words(const std::int16_t* p) { return _mm_load_si128(reinterpret_cast<const __m128i*>(p)); }
    static void finish() {}

    static V zero() { return _mm_setzero_si128(); }
    static V set8(int b) { return _mm_set1_epi8(static_cast<char>(b)); }
    static V set16(int w) { return _mm_set1_epi16(static_cast<short>(w)); }

    static V avg(V a, V b) { return _mm_avg_epu8(a, b); }
    static V and_(V a, V b) { return _mm_and_si128(a, b); }
    static V or_(V a, V b) { return _mm_or_si128(a, b); }
    static V xor_(V a, V b) { return _mm_xor_si128(a, b); }
    static V sub8(V a, V b) { return _mm_sub_epi8(a, b); }
    static V adds16(V a, V b) { return _mm_adds_epi16(a, b); }
    static V subs16(V a, V b) { return _mm_subs_epi16(a, b); }
    static V mulhi16(V a, V b) { return _mm_mulhi_epi16(a, b); }
    template <int N> static V sra16(V a) { return _mm_srai_epi16(a, N); }

    static V unpacklo8(V a, V b) { return _mm_unpacklo_epi8(a, b); }
    static V unpackhi8(V a, V b) { return _mm_unpackhi_epi8(a, b); }
    static V packs16(V a, V b) { return _mm_packs_epi16(a, b); }
    static V packus16(V a, V b) { return _mm_packus_epi16(a, b); }
};

// Two 8-byte picture rows, `p` and the one a stride below, in the low and high
// halves of one register.
struct Sse2RowPairOps : Sse2Ops {
    static constexpr int columns = 8;
    static constexpr int rows = 2;

    static V load(const std::uint8_t* p, int stride) {
        const V upper = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
        return _mm_castpd_si128(
            _mm_loadh_pd(_mm_castsi128_pd(upper), reinterpret_cast<const double*>(p + stride)));
    }
    static void store(std::uint8_t* p, int stride, V v) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
        _mm_storeh_pd(reinterpret_cast<double*>(p + stride), _mm_castsi128_pd(v));
    }
};

}  // namespace
}  // namespace tl::kernels
