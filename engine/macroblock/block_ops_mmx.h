// The block kernels' vector vocabulary on 8-byte MMX registers: one register
// holds eight samples of a picture row, or four coefficients. The kernel bodies
// shared between tiers are written against these names; block_ops_sse2.h names
// its 16-byte forms alike. Include only from files compiled with MMX enabled;
// the unnamed namespace keeps each includer's copy built with its own flags.
#pragma once
#include <mmintrin.h>

#include <cstdint>
#include <cstring>

namespace tl::kernels {
namespace {

struct MmxOps {
    using V = __m64;
    static constexpr int columns = 8;  // picture samples per register
    static constexpr int rows = 1;     // picture rows per register

    // memcpy rather than an unaligned __m64 type: clang has no __m64_u, and
    // both compilers turn this into a single movq. The stride is for the
    // register forms that span two rows.
    static V load(const std::uint8_t* p, int = 0) {
        V v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    static void store(std::uint8_t* p, int, V v) { std::memcpy(p, &v, sizeof v); }
    // Four coefficients, 8-byte aligned.
    static V words(const std::int16_t* p) { return *reinterpret_cast<const __m64*>(p); }
    static void finish() { _mm_empty(); }

    static V zero() { return _mm_setzero_si64(); }
    static V set8(int b) { return _mm_set1_pi8(static_cast<char>(b)); }
    static V set16(int w) { return _mm_set1_pi16(static_cast<short>(w)); }

    static V and_(V a, V b) { return _mm_and_si64(a, b); }
    static V or_(V a, V b) { return _mm_or_si64(a, b); }
    static V xor_(V a, V b) { return _mm_xor_si64(a, b); }
    static V sub8(V a, V b) { return _mm_sub_pi8(a, b); }
    static V add16(V a, V b) { return _mm_add_pi16(a, b); }
    static V adds16(V a, V b) { return _mm_adds_pi16(a, b); }
    static V subs16(V a, V b) { return _mm_subs_pi16(a, b); }
    static V mulhi16(V a, V b) { return _mm_mulhi_pi16(a, b); }
    template <int N> static V srl16(V a) { return _mm_srli_pi16(a, N); }
    template <int N> static V sra16(V a) { return _mm_srai_pi16(a, N); }

    static V unpacklo8(V a, V b) { return _mm_unpacklo_pi8(a, b); }
    static V unpackhi8(V a, V b) { return _mm_unpackhi_pi8(a, b); }
    static V packs16(V a, V b) { return _mm_packs_pi16(a, b); }
    static V packus16(V a, V b) { return _mm_packs_pu16(a, b); }
};

}  // namespace
}  // namespace tl::kernels
