// The SSE tier of the conversion rows: the MMX rows with pavgb, a non-temporal
// prefetch 256 bytes ahead on the source planes and non-temporal 8-byte stores.
// Include only from files compiled for SSE.
#pragma once
#include "convert/row_ops_mmx.h"
#include "engine/base/simd_ops_sse.h"

namespace tl {
namespace {  // each kernel file gets its own copy, compiled with its own flags

struct SseOps : MmxOps {
    static constexpr int kPrefetchDistance = 256;

    static V avg(V a, V b) { return simd::Sse::avg(a, b); }
    static void store(std::uint8_t* p, V v) { _mm_stream_pi(reinterpret_cast<__m64*>(p), v); }
    static void prefetch(const std::uint8_t* p) {
        _mm_prefetch(reinterpret_cast<const char*>(p), _MM_HINT_NTA);
    }
    static void finish() {
        _mm_sfence();
        _mm_empty();
    }
};

}  // namespace
}  // namespace tl
