// The vector vocabulary on 8-byte MMX registers, shared by every kernel family:
// the block kernels and the conversion kernels are written once against these
// names, and simd_ops_sse2.h names its 16-byte forms alike. Only arithmetic
// lives here; each family adds how it loads and stores its rows. Include only
// from files compiled with MMX enabled; the unnamed namespace keeps each
// includer's copy built with its own flags.
#pragma once
#include <mmintrin.h>

#include <cstdint>

namespace tl::simd {
namespace {

struct Mmx {
    using V = __m64;

    static V zero() { return _mm_setzero_si64(); }
    static V set8(int b) { return _mm_set1_pi8(static_cast<char>(b)); }
    static V set16(int w) { return _mm_set1_pi16(static_cast<short>(w)); }
    static V set32(std::uint32_t d) { return _mm_set1_pi32(static_cast<int>(d)); }
    static V set64(std::uint64_t q) {
        return _mm_set_pi32(static_cast<int>(q >> 32), static_cast<int>(q & 0xFFFFFFFFu));
    }

    // Rounded-up byte average without pavgb: (a | b) - ((a ^ b) >> 1).
    static V avg(V a, V b) {
        const V half = _mm_and_si64(_mm_srli_si64(_mm_xor_si64(a, b), 1), set8(0x7F));
        return _mm_sub_pi8(_mm_or_si64(a, b), half);
    }

    static V and_(V a, V b) { return _mm_and_si64(a, b); }
    static V or_(V a, V b) { return _mm_or_si64(a, b); }
    static V xor_(V a, V b) { return _mm_xor_si64(a, b); }
    static V andnot(V a, V b) { return _mm_andnot_si64(a, b); }
    static V add8(V a, V b) { return _mm_add_pi8(a, b); }
    static V sub8(V a, V b) { return _mm_sub_pi8(a, b); }
    static V addsU8(V a, V b) { return _mm_adds_pu8(a, b); }
    static V subsU8(V a, V b) { return _mm_subs_pu8(a, b); }
    static V cmpeq8(V a, V b) { return _mm_cmpeq_pi8(a, b); }
    static V add16(V a, V b) { return _mm_add_pi16(a, b); }
    static V sub16(V a, V b) { return _mm_sub_pi16(a, b); }
    static V adds16(V a, V b) { return _mm_adds_pi16(a, b); }
    static V subs16(V a, V b) { return _mm_subs_pi16(a, b); }
    static V mullo16(V a, V b) { return _mm_mullo_pi16(a, b); }
    static V mulhi16(V a, V b) { return _mm_mulhi_pi16(a, b); }
    static V add32(V a, V b) { return _mm_add_pi32(a, b); }
    static V madd16(V a, V b) { return _mm_madd_pi16(a, b); }
    template <int N> static V srl16(V a) { return _mm_srli_pi16(a, N); }
    template <int N> static V sll16(V a) { return _mm_slli_pi16(a, N); }
    template <int N> static V sra16(V a) { return _mm_srai_pi16(a, N); }
    template <int N> static V srl32(V a) { return _mm_srli_pi32(a, N); }
    template <int N> static V sll32(V a) { return _mm_slli_pi32(a, N); }
    template <int N> static V sra32(V a) { return _mm_srai_pi32(a, N); }
    // Whole-register byte shifts toward the high (shlBytes) or low end.
    template <int N> static V shlBytes(V a) { return _mm_slli_si64(a, 8 * N); }
    template <int N> static V shrBytes(V a) { return _mm_srli_si64(a, 8 * N); }

    static V unpacklo8(V a, V b) { return _mm_unpacklo_pi8(a, b); }
    static V unpackhi8(V a, V b) { return _mm_unpackhi_pi8(a, b); }
    static V unpacklo16(V a, V b) { return _mm_unpacklo_pi16(a, b); }
    static V unpackhi16(V a, V b) { return _mm_unpackhi_pi16(a, b); }
    static V unpacklo32(V a, V b) { return _mm_unpacklo_pi32(a, b); }
    static V unpackhi32(V a, V b) { return _mm_unpackhi_pi32(a, b); }
    static V packs16(V a, V b) { return _mm_packs_pi16(a, b); }
    static V packs32(V a, V b) { return _mm_packs_pi32(a, b); }
    static V packus16(V a, V b) { return _mm_packs_pu16(a, b); }

    static bool allZero(V a) { return _mm_cvtsi64_si32(_mm_or_si64(a, _mm_srli_si64(a, 32))) == 0; }
};

}  // namespace
}  // namespace tl::simd
