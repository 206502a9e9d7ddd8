// How the block kernels move 16-byte SSE2 registers, named as in MmxOps, on the
// shared simd::Sse2 arithmetic: Sse2Ops holds sixteen samples of one picture
// row, Sse2RowPairOps eight samples of each of two rows. Include only from files
// compiled with SSE2 enabled; the unnamed namespace keeps each includer's copy
// built with its own flags.
#pragma once
#include <cstdint>

#include "engine/base/simd_ops_sse2.h"

namespace tl::kernels {
namespace {

struct Sse2Ops : simd::Sse2 {
    static constexpr int columns = 16;
    static constexpr int rows = 1;

    static V load(const std::uint8_t* p, int = 0) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static void store(std::uint8_t* p, int, V v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
    // Eight coefficients, 16-byte aligned.
    static V words(const std::int16_t* p) { return _mm_load_si128(reinterpret_cast<const __m128i*>(p)); }
    static void finish() {}
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
