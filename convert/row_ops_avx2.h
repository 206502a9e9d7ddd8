// How the RGB and YV12 kernels walk rows on 32-byte AVX2 registers, with the
// members of Sse2Ops. Most AVX2 integer instructions work inside each 16-byte lane, so a
// register is treated as two SSE2 registers side by side:
// - luma and full-width loads hold pixels 0-15 in the low lane and 16-31 in
//   the high one; a 16-byte load (the chroma of a 4:2:0/4:2:2 step) puts its
//   bytes 0-7 at the start of the low lane and 8-15 at the start of the high
//   one, where the in-lane unpacks expect the chroma of those pixels;
// - after the in-lane interleaves, orderLanes puts the output bytes back in
//   row order (kSplitLanes tells the kernels to call it);
// - byte shifts move whole 8-byte parts across the lanes.
// Stores are unaligned: the dispatcher guarantees rows on 16-byte boundaries
// only. Include only from files compiled for AVX2.
#pragma once
#include <immintrin.h>

#include <cstdint>

namespace tl {
namespace {  // each kernel file gets its own copy, compiled with its own flags

// The shuffles of Avx2Ops::interleave24, [third of a lane's 48 output
// bytes][B, G, R], the same for both lanes: output byte n of a lane is
// colour n % 3 of pixel n / 3.
struct Rgb24Masks {
    alignas(32) std::int8_t bytes[3][3][32];
};
constexpr Rgb24Masks rgb24Masks() {
    Rgb24Masks m{};
    for (int k = 0; k < 3; ++k)
        for (int j = 0; j < 32; ++j) {
            const int n = 16 * k + j % 16;
            for (int c = 0; c < 3; ++c) m.bytes[k][c][j] = static_cast<std::int8_t>(n % 3 == c ? n / 3 : -1);
        }
    return m;
}
constexpr Rgb24Masks kRgb24Masks = rgb24Masks();

struct Avx2Ops {
    using V = __m256i;
    static constexpr int kWidth = 32;
    static constexpr int kPrefetchDistance = 512;
    static constexpr bool kSplitLanes = true;

    template <int N>
    static V load(const std::uint8_t* p) {
        static_assert(N == 16 || N == 32, "AVX2 steps load 16 or 32 bytes");
        if constexpr (N == 32) {
            return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        } else {
            const __m128i half = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            return _mm256_permute4x64_epi64(_mm256_castsi128_si256(half), 0x50);
        }
    }
    static void store(std::uint8_t* p, V v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
    static void storeTemp(std::uint8_t* p, V v) { store(p, v); }
    static void prefetch(const std::uint8_t* p) {
        _mm_prefetch(reinterpret_cast<const char*>(p), _MM_HINT_T0);
    }
    static void finish() {}

    static V zero() { return _mm256_setzero_si256(); }
    static V set8(int b) { return _mm256_set1_epi8(static_cast<char>(b)); }
    static V set16(int w) { return _mm256_set1_epi16(static_cast<short>(w)); }
    static V set32(std::uint32_t d) { return _mm256_set1_epi32(static_cast<int>(d)); }

    static V avg(V a, V b) { return _mm256_avg_epu8(a, b); }
    static V and_(V a, V b) { return _mm256_and_si256(a, b); }
    static V or_(V a, V b) { return _mm256_or_si256(a, b); }
    static V andnot(V a, V b) { return _mm256_andnot_si256(a, b); }
    static V addsU8(V a, V b) { return _mm256_adds_epu8(a, b); }
    static V subsU8(V a, V b) { return _mm256_subs_epu8(a, b); }
    static V cmpeq8(V a, V b) { return _mm256_cmpeq_epi8(a, b); }
    static V sub16(V a, V b) { return _mm256_sub_epi16(a, b); }
    static V mullo16(V a, V b) { return _mm256_mullo_epi16(a, b); }
    static V add32(V a, V b) { return _mm256_add_epi32(a, b); }
    static V madd16(V a, V b) { return _mm256_madd_epi16(a, b); }
    template <int N> static V srl16(V a) { return _mm256_srli_epi16(a, N); }
    template <int N> static V sll16(V a) { return _mm256_slli_epi16(a, N); }
    template <int N> static V srl32(V a) { return _mm256_srli_epi32(a, N); }
    template <int N> static V sll32(V a) { return _mm256_slli_epi32(a, N); }
    template <int N> static V sra32(V a) { return _mm256_srai_epi32(a, N); }

    // Byte shifts of the whole register by whole 8-byte parts, zero filled.
    template <int N>
    static V shlBytes(V a) {
        static_assert(N % 8 == 0 && N > 0 && N < 32, "whole 8-byte parts");
        constexpr int q = N / 8;
        constexpr int order = q == 1 ? 0x90 : q == 2 ? 0x40 : 0x00;  // part i takes part i - q
        constexpr int kept = (0xFF << (2 * q)) & 0xFF;               // dwords at and above 2q
        return _mm256_blend_epi32(zero(), _mm256_permute4x64_epi64(a, order), kept);
    }
    template <int N>
    static V shrBytes(V a) {
        static_assert(N % 8 == 0 && N > 0 && N < 32, "whole 8-byte parts");
        constexpr int q = N / 8;
        constexpr int order = q == 1 ? 0x39 : q == 2 ? 0x0E : 0x03;  // part i takes part i + q
        constexpr int kept = 0xFF >> (2 * q);                        // dwords below 8 - 2q
        return _mm256_blend_epi32(zero(), _mm256_permute4x64_epi64(a, order), kept);
    }

    static V unpacklo8(V a, V b) { return _mm256_unpacklo_epi8(a, b); }
    static V unpackhi8(V a, V b) { return _mm256_unpackhi_epi8(a, b); }
    static V unpacklo16(V a, V b) { return _mm256_unpacklo_epi16(a, b); }
    static V unpackhi16(V a, V b) { return _mm256_unpackhi_epi16(a, b); }
    static V packs32(V a, V b) { return _mm256_packs_epi32(a, b); }

    // The RGB matrix works on even and odd pixels apart (see RgbOut): bytes
    // times byte weights summed in pairs, 16 bytes widened to words (bytes 0-7
    // into the low lane, 8-15 into the high one), and the odd words of b
    // blended over a.
    static constexpr bool kEvenOddPixels = true;
    static V maddubs(V bytes, V weights) { return _mm256_maddubs_epi16(bytes, weights); }
    static V widen8(const std::uint8_t* p) {
        return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    }
    static V avg16(V a, V b) { return _mm256_avg_epu16(a, b); }
    static V oddWordsOver(V a, V b) { return _mm256_blend_epi16(a, b, 0xAA); }
    static V packus16(V a, V b) { return _mm256_packus_epi16(a, b); }

    static bool allZero(V a) { return _mm256_movemask_epi8(_mm256_cmpeq_epi8(a, zero())) == -1; }

    // The in-lane interleave of 32 pixels leaves pixels 0-3 and 16-19 in the
    // first register, 4-7 and 20-23 in the second, and so on.
    static void orderLanes(V (&v)[4]) {
        const V a = v[0], b = v[1], c = v[2], d = v[3];
        v[0] = _mm256_permute2x128_si256(a, b, 0x20);
        v[1] = _mm256_permute2x128_si256(c, d, 0x20);
        v[2] = _mm256_permute2x128_si256(a, b, 0x31);
        v[3] = _mm256_permute2x128_si256(c, d, 0x31);
    }
    // Words of pixels 0-7 and 16-23, then 8-15 and 24-31.
    static void orderLanes(V (&v)[2]) {
        const V a = v[0], b = v[1];
        v[0] = _mm256_permute2x128_si256(a, b, 0x20);
        v[1] = _mm256_permute2x128_si256(a, b, 0x31);
    }
    // packs32 and packus16 of two registers, the results in the order of the inputs.
    static V packs32InOrder(V a, V b) { return _mm256_permute4x64_epi64(packs32(a, b), 0xD8); }
    static V packus16InOrder(V a, V b) { return _mm256_permute4x64_epi64(packus16(a, b), 0xD8); }

    // B, G and R bytes of 32 pixels, each lane holding its 16 in order, as
    // 96 bytes of RGB24 in row order: each 16 output bytes of a lane take
    // one shuffle of each colour, then the lanes' thirds are put in order.
    static void interleave24(V b, V g, V r, V (&out)[3]) {
        const auto shuffled = [](V v, int third, int colour) {
            return _mm256_shuffle_epi8(
                v, _mm256_load_si256(reinterpret_cast<const __m256i*>(kRgb24Masks.bytes[third][colour])));
        };
        V third[3];
        for (int k = 0; k < 3; ++k) third[k] = or_(or_(shuffled(b, k, 0), shuffled(g, k, 1)), shuffled(r, k, 2));
        out[0] = _mm256_permute2x128_si256(third[0], third[1], 0x20);
        out[1] = _mm256_permute2x128_si256(third[2], third[0], 0x30);
        out[2] = _mm256_permute2x128_si256(third[1], third[2], 0x31);
    }

    // B,G,R,X dwords to 24 B,G,R bytes at the start of the register.
    static V compact24(V t) {
        const V lowThree = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,  //
                                            0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
        const V perLane = _mm256_shuffle_epi8(t, lowThree);
        return _mm256_permutevar8x32_epi32(perLane, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7));
    }
};

}  // namespace
}  // namespace tl
