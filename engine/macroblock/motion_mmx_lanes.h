// Motion-compensation building blocks on 64-bit registers, shared by the MMX
// and SSE forms: eight samples of a prediction, computed exactly in 16-bit
// lanes. Include only from files compiled with MMX enabled; the unnamed
// namespace keeps each includer's copy built with its own flags.
#pragma once
#include <mmintrin.h>

#include <cstdint>

namespace tl::kernels {
namespace {

inline __m64 load8(const std::uint8_t* p) { return *reinterpret_cast<const __m64_u*>(p); }
inline void store8(std::uint8_t* p, __m64 v) { *reinterpret_cast<__m64_u*>(p) = v; }

struct Words {
    __m64 low, high;
};

inline Words widen(__m64 v) {
    const __m64 zero = _mm_setzero_si64();
    return {_mm_unpacklo_pi8(v, zero), _mm_unpackhi_pi8(v, zero)};
}

inline __m64 narrow(Words w) { return _mm_packs_pu16(w.low, w.high); }

// (a + b + 1) >> 1 per lane.
inline Words averageWords(Words a, Words b) {
    const __m64 one = _mm_set1_pi16(1);
    return {_mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(a.low, b.low), one), 1),
            _mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(a.high, b.high), one), 1)};
}

// Eight samples at half-sample position (hx, hy) in 16-bit lanes. The
// both-halves form adds all four neighbours before one rounding shift.
template <int hx, int hy>
inline Words predictWords(const std::uint8_t* s, int stride) {
    const Words a = widen(load8(s));
    if constexpr (hx && hy) {
        const Words b = widen(load8(s + 1));
        const Words c = widen(load8(s + stride));
        const Words d = widen(load8(s + stride + 1));
        const __m64 two = _mm_set1_pi16(2);
        return {_mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(_mm_add_pi16(a.low, b.low), _mm_add_pi16(c.low, d.low)), two), 2),
                _mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(_mm_add_pi16(a.high, b.high), _mm_add_pi16(c.high, d.high)), two), 2)};
    } else if constexpr (hx || hy) {
        return averageWords(a, widen(load8(s + (hx ? 1 : stride))));
    } else {
        return a;
    }
}

}  // namespace
}  // namespace tl::kernels
