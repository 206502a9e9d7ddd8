// Block stores on 64-bit registers: intra samples are the residual saturated to
// -128..127 and shifted by 128 (an exclusive or of the sign bit); residual adds
// widen the prediction to 16 bits, add with saturation and pack back unsigned.
#include <mmintrin.h>

#include <cstring>

#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels::mmx {
namespace {

// memcpy rather than an unaligned __m64 type: clang has no __m64_u, and both
// compilers turn this into a single movq.
inline __m64 load8(const std::uint8_t* p) {
    __m64 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void store8(std::uint8_t* p, __m64 v) { std::memcpy(p, &v, sizeof v); }
inline __m64 wordsAt(const std::int16_t* p) { return *reinterpret_cast<const __m64*>(p); }

struct Intra {
    static __m64 apply(const std::uint8_t*, const std::int16_t* r) {
        return _mm_xor_si64(_mm_packs_pi16(wordsAt(r), wordsAt(r + 4)), _mm_set1_pi8(-128));
    }
};

struct Add {
    static __m64 apply(const std::uint8_t* dst, const std::int16_t* r) {
        const __m64 zero = _mm_setzero_si64();
        const __m64 p = load8(dst);
        const __m64 low = _mm_adds_pi16(_mm_unpacklo_pi8(p, zero), wordsAt(r));
        const __m64 high = _mm_adds_pi16(_mm_unpackhi_pi8(p, zero), wordsAt(r + 4));
        return _mm_packs_pu16(low, high);
    }
};

template <class Op>
void rows8(std::uint8_t* dst, int stride, const std::int16_t* block) {
    for (int y = 0; y < 8; ++y, dst += stride, block += 8) store8(dst, Op::apply(dst, block));
}

template <class Op>
void rows16(std::uint8_t* dst, int stride, const std::int16_t* left, const std::int16_t* right) {
    for (int y = 0; y < 8; ++y, dst += stride, left += 8, right += 8) {
        store8(dst, Op::apply(dst, left));
        store8(dst + 8, Op::apply(dst + 8, right));
    }
}

}  // namespace

void intraStore16Frame(std::uint8_t* dst, int stride, const std::int16_t* blocks) {
    rows16<Intra>(dst, stride, blocks, blocks + 64);
    rows16<Intra>(dst + 8 * stride, stride, blocks + 128, blocks + 192);
    _mm_empty();
}

void intraStore16Field(std::uint8_t* dst, int stride, const std::int16_t* blocks) {
    rows16<Intra>(dst, 2 * stride, blocks, blocks + 64);
    rows16<Intra>(dst + stride, 2 * stride, blocks + 128, blocks + 192);
    _mm_empty();
}

void addResidual16Frame(std::uint8_t* dst, int stride, const std::int16_t* blocks) {
    rows16<Add>(dst, stride, blocks, blocks + 64);
    rows16<Add>(dst + 8 * stride, stride, blocks + 128, blocks + 192);
    _mm_empty();
}

void addResidual16Field(std::uint8_t* dst, int stride, const std::int16_t* blocks) {
    rows16<Add>(dst, 2 * stride, blocks, blocks + 64);
    rows16<Add>(dst + stride, 2 * stride, blocks + 128, blocks + 192);
    _mm_empty();
}

void addResidual8(std::uint8_t* dst, int stride, const std::int16_t* block) {
    rows8<Add>(dst, stride, block);
    _mm_empty();
}

void intraStore8(std::uint8_t* dst, int stride, const std::int16_t* block) {
    rows8<Intra>(dst, stride, block);
    _mm_empty();
}

void intraStore8x16Frame(std::uint8_t* dst, int stride, const std::int16_t* upper,
                         const std::int16_t* lower) {
    rows8<Intra>(dst, stride, upper);
    rows8<Intra>(dst + 8 * stride, stride, lower);
    _mm_empty();
}

void intraStore8x16Field(std::uint8_t* dst, int stride, const std::int16_t* upper,
                         const std::int16_t* lower) {
    rows8<Intra>(dst, 2 * stride, upper);
    rows8<Intra>(dst + stride, 2 * stride, lower);
    _mm_empty();
}

}  // namespace tl::kernels::mmx
