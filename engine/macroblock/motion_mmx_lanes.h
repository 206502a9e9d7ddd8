// Motion-compensation building blocks on 64-bit registers, shared by the MMX
// and SSE forms: successive rows of an 8-sample prediction, computed exactly in
// 16-bit lanes. Include only from files compiled with MMX enabled; the unnamed
// namespace keeps each includer's copy built with its own flags.
#pragma once
#include <mmintrin.h>

#include <cstdint>
#include <cstring>

namespace tl::kernels {
namespace {

// memcpy rather than an unaligned __m64 type: clang has no __m64_u, and both
// compilers turn this into a single movq.
inline __m64 load8(const std::uint8_t* p) {
    __m64 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void store8(std::uint8_t* p, __m64 v) { std::memcpy(p, &v, sizeof v); }

struct Words {
    __m64 low, high;
};

inline Words widen(__m64 v) {
    const __m64 zero = _mm_setzero_si64();
    return {_mm_unpacklo_pi8(v, zero), _mm_unpackhi_pi8(v, zero)};
}

inline __m64 narrow(Words w) { return _mm_packs_pu16(w.low, w.high); }

inline Words addWords(Words a, Words b) { return {_mm_add_pi16(a.low, b.low), _mm_add_pi16(a.high, b.high)}; }

// (a + b + 1) >> 1 per lane.
inline Words averageWords(Words a, Words b) {
    const __m64 one = _mm_set1_pi16(1);
    return {_mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(a.low, b.low), one), 1),
            _mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(a.high, b.high), one), 1)};
}

// The rows of an 8-wide prediction at half-sample position (hx, hy), top to
// bottom. With a vertical half the lower row's terms (its horizontal pair sums
// for both halves) are kept for the next row, so each source row is read and
// widened once. Both halves add all four neighbours before one rounding shift.
template <int hx, int hy>
class WordRows {
public:
    WordRows(const std::uint8_t* src, int stride) : s_(src), stride_(stride) {
        if constexpr (hy != 0) below_ = term(s_);
    }

    Words next() {
        Words result;
        if constexpr (hy != 0) {
            const Words above = below_;
            below_ = term(s_ + stride_);
            if constexpr (hx != 0) {
                const __m64 two = _mm_set1_pi16(2);
                const Words sum = addWords(above, below_);
                result = {_mm_srli_pi16(_mm_add_pi16(sum.low, two), 2), _mm_srli_pi16(_mm_add_pi16(sum.high, two), 2)};
            } else {
                result = averageWords(above, below_);
            }
        } else if constexpr (hx != 0) {
            result = averageWords(widen(load8(s_)), widen(load8(s_ + 1)));
        } else {
            result = widen(load8(s_));
        }
        s_ += stride_;
        return result;
    }

private:
    Words term(const std::uint8_t* s) const {
        if constexpr (hx != 0) {
            return addWords(widen(load8(s)), widen(load8(s + 1)));
        } else {
            return widen(load8(s));
        }
    }

    const std::uint8_t* s_;
    int stride_;
    Words below_{};
};

}  // namespace
}  // namespace tl::kernels
