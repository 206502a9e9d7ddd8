// The AYUV form four pixels at a time. The division of un-premultiplying is a
// multiply by a reciprocal taken per alpha: floor(2^32 / alpha) + 1 gives the
// truncated quotient of every colour * 256 (at most 65280) exactly.
#include <emmintrin.h>

#include <array>

#include "engine/dxva/ayuv_form.h"
#include "engine/dxva/ayuv_rules.h"

namespace tl::dxva {
namespace {

constexpr std::array<std::uint32_t, 256> reciprocals() {
    std::array<std::uint32_t, 256> r{};
    r[1] = 0xFFFFFFFFu;  // colour * 256 - 1, which the limit of 255 turns right
    for (std::uint64_t a = 2; a < 256; ++a) r[a] = std::uint32_t((std::uint64_t(1) << 32) / a + 1);
    return r;
}
constexpr std::array<std::uint32_t, 256> kReciprocal = reciprocals();

// Colour byte at `shift` of each pixel, times 256, divided by the pixel's alpha.
inline __m128i unpremultiplied(__m128i pixels, int shift, __m128i reciprocal) {
    const __m128i n = _mm_slli_epi32(_mm_and_si128(_mm_srl_epi32(pixels, _mm_cvtsi32_si128(shift)),
                                                   _mm_set1_epi32(0xFF)), 8);
    const __m128i even = _mm_srli_epi64(_mm_mul_epu32(n, reciprocal), 32);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(n, 32), _mm_srli_epi64(reciprocal, 32));
    const __m128i q = _mm_or_si128(even, _mm_and_si128(odd, _mm_set_epi32(-1, 0, -1, 0)));
    const __m128i limit = _mm_set1_epi32(255);
    const __m128i over = _mm_cmpgt_epi32(q, limit);
    return _mm_or_si128(_mm_andnot_si128(over, q), _mm_and_si128(over, limit));
}

// v * weight for 32-bit lanes holding values of 16 bits, weight below 32768.
inline __m128i times(__m128i v, int weight) { return _mm_madd_epi16(v, _mm_set1_epi32(weight)); }

}  // namespace

void ayuvRowSse2(const std::uint8_t* src, std::uint8_t* dst, int pixels) {
    using namespace ayuv;
    int x = 0;
    for (; x + 4 <= pixels; x += 4, src += 16, dst += 16) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i reciprocal = _mm_set_epi32(int(kReciprocal[src[15]]), int(kReciprocal[src[11]]),
                                                 int(kReciprocal[src[7]]), int(kReciprocal[src[3]]));
        const __m128i b = unpremultiplied(p, 0, reciprocal);
        const __m128i g = unpremultiplied(p, 8, reciprocal);
        const __m128i r = unpremultiplied(p, 16, reciprocal);
        static_assert(kLumaG == 2 * 19235, "the green weight is taken as twice a 16-bit one");
        const __m128i luma = _mm_srli_epi32(
            _mm_add_epi32(_mm_add_epi32(times(r, kLumaR), _mm_slli_epi32(times(g, kLumaG / 2), 1)),
                          _mm_add_epi32(times(b, kLumaB), _mm_set1_epi32(32768))),
            16);
        const __m128i offset = _mm_set1_epi32(kChromaOffset);
        const __m128i cr = _mm_srai_epi32(_mm_add_epi32(times(_mm_sub_epi32(r, luma), kCrScale), offset), 15);
        const __m128i cb = _mm_srai_epi32(_mm_add_epi32(times(_mm_sub_epi32(b, luma), kCbScale), offset), 15);
        const __m128i y = _mm_srli_epi32(_mm_add_epi32(times(luma, kLumaRange), _mm_set1_epi32(kLumaOffset)), 8);
        const __m128i alpha = _mm_and_si128(p, _mm_set1_epi32(int(0xFF000000u)));
        const __m128i out = _mm_or_si128(_mm_or_si128(cr, _mm_slli_epi32(cb, 8)),
                                         _mm_or_si128(_mm_slli_epi32(y, 16), alpha));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), out);
    }
    ayuvRowPlain(src, dst, pixels - x);
}

}  // namespace tl::dxva
