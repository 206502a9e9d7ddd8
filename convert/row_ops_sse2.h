// How the conversion kernels walk rows on 16-byte SSE2 registers (same members
// as MmxOps in row_ops_mmx.h), on the shared simd::Sse2 arithmetic. Whole steps
// are written with aligned stores, so the dispatcher chooses this tier only for
// 16-byte-aligned rows. They are ordinary stores, not non-temporal ones: the
// sample is read again soon (by the renderer, or the overlay pass) and a
// picture fits in the cache, where streaming it to memory made YV12 copies
// about half as fast. Include only from files compiled for SSE2.
#pragma once
#include <cstdint>

#include "engine/base/simd_ops_sse2.h"

namespace tl {
namespace {  // each kernel file gets its own copy, compiled with its own flags

struct Sse2UnalignedOps;

struct Sse2Ops : simd::Sse2 {
    using Unaligned = Sse2UnalignedOps;
    static constexpr int kWidth = 16;
    static constexpr bool kSplitLanes = false;  // one register, bytes in row order
    static constexpr int kPrefetchDistance = 512;

    // Loads N bytes (4, 8 or 16) into the low lanes; the rest is zero.
    template <int N>
    static V load(const std::uint8_t* p) {
        static_assert(N == 4 || N == 8 || N == 16, "SSE2 loads are 4, 8 or 16 bytes");
        if constexpr (N == 16) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        } else if constexpr (N == 8) {
            return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
        } else {
            std::int32_t d;
            __builtin_memcpy(&d, p, 4);
            return _mm_cvtsi32_si128(d);
        }
    }
    static void store(std::uint8_t* p, V v) { _mm_store_si128(reinterpret_cast<__m128i*>(p), v); }
    static void storeTemp(std::uint8_t* p, V v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
    static void storeLow8(std::uint8_t* p, V v) { _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v); }
    static void storeHigh8(std::uint8_t* p, V v) { _mm_storeh_pd(reinterpret_cast<double*>(p), _mm_castsi128_pd(v)); }
    // RGB24 rows are written a pixel pair (6 bytes) at a time with 8-byte
    // stores rather than squeezed into whole registers, which SSE2 can only
    // do with masks and shifts.
    static constexpr bool kPairStores24 = true;
    // Into every cache level: the bob rules read each source row again for the
    // next output rows, and the field pair reads the picture twice.
    static void prefetch(const std::uint8_t* p) {
        _mm_prefetch(reinterpret_cast<const char*>(p), _MM_HINT_T0);
    }
    static void finish() {}

    static void splitPairs(V a, V b, V& colour, V& alpha) {
        const V lo = unpacklo32(a, b);  // c0 c2 a0 a2
        const V hi = unpackhi32(a, b);  // c1 c3 a1 a3
        colour = unpacklo32(lo, hi);
        alpha = unpackhi32(lo, hi);
    }

    static V compact24(V t) {
        const V q = or_(and_(t, set64(0xFFFFFFull)), and_(_mm_srli_epi64(t, 8), set64(0xFFFFFF000000ull)));
        const V lowQword = _mm_set_epi32(0, 0, -1, -1);
        return or_(and_(q, lowQword), _mm_srli_si128(andnot(lowQword, q), 2));
    }
};

// The same tier storing with ordinary unaligned stores, for planes whose rows
// are not 16-byte aligned (YV12 chroma at a pitch of 8 modulo 16).
struct Sse2UnalignedOps : Sse2Ops {
    static void store(std::uint8_t* p, V v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
};

}  // namespace
}  // namespace tl
