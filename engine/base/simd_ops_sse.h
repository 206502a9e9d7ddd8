// The SSE tier of the 8-byte vocabulary: MMX plus the pavgb byte average, which
// rounds up exactly as (a + b + 1) >> 1. Include only from files compiled for SSE.
#pragma once
#include <xmmintrin.h>

#include "engine/base/simd_ops_mmx.h"

namespace tl::simd {
namespace {

struct Sse : Mmx {
    static V avg(V a, V b) { return _mm_avg_pu8(a, b); }
};

}  // namespace
}  // namespace tl::simd
