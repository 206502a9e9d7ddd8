// Block stores on 128-bit registers: a picture row of two blocks, or two rows
// of one 8-wide block, per register; same arithmetic as the 64-bit forms.
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

// Two 8-byte picture rows in the low and high halves of one register.
inline __m128i loadTwoRows(const std::uint8_t* p, int stride) {
    const __m128i low = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    return _mm_castpd_si128(_mm_loadh_pd(_mm_castsi128_pd(low), reinterpret_cast<const double*>(p + stride)));
}

inline void storeTwoRows(std::uint8_t* p, int stride, __m128i v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
    _mm_storeh_pd(reinterpret_cast<double*>(p + stride), _mm_castsi128_pd(v));
}

struct IntraPair {
    static __m128i apply(const std::uint8_t*, int, const std::int16_t* r) {
        return _mm_xor_si128(_mm_packs_epi16(rowOf(r), rowOf(r + 8)), _mm_set1_epi8(-128));
    }
};

struct AddPair {
    static __m128i apply(const std::uint8_t* dst, int stride, const std::int16_t* r) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i p = loadTwoRows(dst, stride);
        const __m128i upper = _mm_adds_epi16(_mm_unpacklo_epi8(p, zero), rowOf(r));
        const __m128i lower = _mm_adds_epi16(_mm_unpackhi_epi8(p, zero), rowOf(r + 8));
        return _mm_packus_epi16(upper, lower);
    }
};

// Eight rows of one block, 8 columns wide, two rows at a time.
template <class Op>
void rows8(std::uint8_t* dst, int stride, const std::int16_t* block) {
    for (int y = 0; y < 8; y += 2, dst += 2 * stride, block += 16) {
        storeTwoRows(dst, stride, Op::apply(dst, stride, block));
    }
}

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

void addResidual8(std::uint8_t* dst, int stride, const std::int16_t* block) {
    rows8<AddPair>(dst, stride, block);
}

void intraStore8(std::uint8_t* dst, int stride, const std::int16_t* block) {
    rows8<IntraPair>(dst, stride, block);
}

void intraStore8x16Frame(std::uint8_t* dst, int stride, const std::int16_t* upper,
                         const std::int16_t* lower) {
    rows8<IntraPair>(dst, stride, upper);
    rows8<IntraPair>(dst + 8 * stride, stride, lower);
}

void intraStore8x16Field(std::uint8_t* dst, int stride, const std::int16_t* upper,
                         const std::int16_t* lower) {
    rows8<IntraPair>(dst, 2 * stride, upper);
    rows8<IntraPair>(dst + stride, 2 * stride, lower);
}

}  // namespace tl::kernels::sse2
