// How the block kernels move 8-byte MMX registers to and from memory: one
// register holds eight samples of a picture row, or four coefficients. The
// arithmetic is the shared simd::Mmx; block_ops_sse2.h names its 16-byte forms
// alike. Include only from files compiled with MMX enabled; the unnamed
// namespace keeps each includer's copy built with its own flags.
#pragma once
#include <cstdint>
#include <cstring>

#include "engine/base/simd_ops_mmx.h"

namespace tl::kernels {
namespace {

struct MmxOps : simd::Mmx {
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
};

}  // namespace
}  // namespace tl::kernels
