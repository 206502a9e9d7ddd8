// How the conversion kernels walk rows on 8-byte MMX registers: partial loads,
// the stores of whole and partial steps, and the overlay and RGB24 shuffles.
// The arithmetic is the shared simd::Mmx; row_ops_sse2.h has the same members on
// 16-byte registers. Include only from files compiled for MMX (the _mmx and
// _sse kernel files).
#pragma once
#include <cstdint>
#include <cstring>

#include "engine/base/simd_ops_mmx.h"

namespace tl {
namespace {  // each kernel file gets its own copy, compiled with its own flags

struct MmxOps : simd::Mmx {
    static constexpr int kWidth = 8;
    static constexpr bool kSplitLanes = false;  // one register, bytes in row order

    // Loads N bytes (2, 4 or 8) into the low lanes; the rest is zero.
    template <int N>
    static V load(const std::uint8_t* p) {
        static_assert(N == 2 || N == 4 || N == 8, "MMX loads are 2, 4 or 8 bytes");
        if constexpr (N == 8) {
            V v;
            std::memcpy(&v, p, 8);
            return v;
        } else if constexpr (N == 4) {
            std::uint32_t d;
            std::memcpy(&d, p, 4);
            return _mm_cvtsi32_si64(static_cast<int>(d));
        } else {
            std::uint16_t w;
            std::memcpy(&w, p, 2);
            return _mm_cvtsi32_si64(w);
        }
    }
    // Stores used for the whole steps of a row, and for the partial last step
    // that goes through a small buffer on the stack.
    static void store(std::uint8_t* p, V v) { std::memcpy(p, &v, 8); }
    static void storeTemp(std::uint8_t* p, V v) { std::memcpy(p, &v, 8); }
    static constexpr int kPrefetchDistance = 0;  // MMX has no prefetch
    static void prefetch(const std::uint8_t*) {}
    static void finish() { _mm_empty(); }

    // Two registers of YUY2 overlay pairs (four colour bytes, then four alpha
    // bytes per pair) into one register of colours and one of alphas.
    static void splitPairs(V a, V b, V& colour, V& alpha) {
        colour = unpacklo32(a, b);
        alpha = unpackhi32(a, b);
    }

    // B,G,R,X dwords with X cleared, squeezed to 3 bytes per pixel at the low end.
    static V compact24(V t) {
        return or_(and_(t, set64(0xFFFFFFull)), and_(_mm_srli_si64(t, 8), set64(0xFFFFFF000000ull)));
    }
};

}  // namespace
}  // namespace tl
