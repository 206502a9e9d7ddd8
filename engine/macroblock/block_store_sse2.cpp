// 16-wide block stores on 128-bit registers, one picture row of two blocks per
// register; same arithmetic as the 64-bit forms.
#include <emmintrin.h>

#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels::sse2 {
namespace {

inline __m128i rowOf(const std::int16_t* block) { return _mm_load_si128(reinterpret_cast<const __m128i*>(block)); }

struct Intra {
    static __m128i apply(const std::uint8_t*, const std::int16_t* left, const std::int16_t* right) {
        return _mm_xor_si128(_mm_packs_epi16(rowOf(left), rowOf(right)), _mm_set1_epi8(-128));
    }
};

struct Add {
    static __m128i apply(const std::uint8_t* dst, const std::int16_t* left, const std::int16_t* right) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
        const __m128i low = _mm_adds_epi16(_mm_unpacklo_epi8(p, zero), rowOf(left));
        const __m128i high = _mm_adds_epi16(_mm_unpackhi_epi8(p, zero), rowOf(right));
        return _mm_packus_epi16(low, high);
    }
};

template <class Op>
void rows16(std::uint8_t* dst, int stride, const std::int16_t* left, const std::int16_t* right) {
    for (int y = 0; y < 8; ++y, dst += stride, left += 8, right += 8) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), Op::apply(dst, left, right));
    }
}

}  // namespace

void intraStore16Frame(std::uint8_t* dst, int stride, const std::int16_t* blocks) {
    rows16<Intra>(dst, stride, blocks, blocks + 64);
    rows16<Intra>(dst + 8 * stride, stride, blocks + 128, blocks + 192);
}

void intraStore16Field(std::uint8_t* dst, int stride, const std::int16_t* blocks) {
    rows16<Intra>(dst, 2 * stride, blocks, blocks + 64);
    rows16<Intra>(dst + stride, 2 * stride, blocks + 128, blocks + 192);
}

void addResidual16Frame(std::uint8_t* dst, int stride, const std::int16_t* blocks) {
    rows16<Add>(dst, stride, blocks, blocks + 64);
    rows16<Add>(dst + 8 * stride, stride, blocks + 128, blocks + 192);
}

void addResidual16Field(std::uint8_t* dst, int stride, const std::int16_t* blocks) {
    rows16<Add>(dst, 2 * stride, blocks, blocks + 64);
    rows16<Add>(dst + stride, 2 * stride, blocks + 128, blocks + 192);
}

}  // namespace tl::kernels::sse2
