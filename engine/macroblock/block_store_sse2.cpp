// Transform stores on 128-bit registers: each block's inverse DCT stays in
// registers and goes straight into the picture, two rows of eight samples per
// register, while the block is cleared; the arithmetic of the stores is that of
// the other tiers (block_store_kernels.h), the residual add with loads of its own.
#include "engine/macroblock/block_ops_sse2.h"
#include "engine/macroblock/block_store_kernels.h"
#include "engine/macroblock/idct_sse2_block.h"

namespace tl::kernels::sse2 {
namespace {

// Eight aligned stores, written out: as a loop the compiler turns them into a
// string store, whose start-up costs more than the whole clear.
inline void clearBlock(std::int16_t* block) {
    const __m128i zero = _mm_setzero_si128();
    __m128i* w = reinterpret_cast<__m128i*>(__builtin_assume_aligned(block, 16));
    _mm_store_si128(w + 0, zero);
    _mm_store_si128(w + 1, zero);
    _mm_store_si128(w + 2, zero);
    _mm_store_si128(w + 3, zero);
    _mm_store_si128(w + 4, zero);
    _mm_store_si128(w + 5, zero);
    _mm_store_si128(w + 6, zero);
    _mm_store_si128(w + 7, zero);
}

// The residual add of VectorAdd with each prediction row widened from its own
// 8-byte load: no register copies to unpack both halves of a shared one.
struct RowPairAdd {
    template <class, class V>
    static V apply(const std::uint8_t* dst, int stride, V low, V high) {
        const V zero = _mm_setzero_si128();
        const V upper = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(dst)), zero);
        const V lower = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(dst + stride)), zero);
        return _mm_packus_epi16(_mm_adds_epi16(upper, low), _mm_adds_epi16(lower, high));
    }
};

template <class Op>
__attribute__((always_inline)) inline void transformBlock(std::uint8_t* dst, int stride, std::int16_t* block) {
    __m128i r[8];
    idctToRegisters(block, r);
    clearBlock(block);
    using O = Sse2RowPairOps;
    for (int y = 0; y < 8; y += 2, dst += 2 * stride)
        O::store(dst, stride, Op::template apply<O>(dst, stride, r[y], r[y + 1]));
}

template <class Op>
void block8(std::uint8_t* dst, int stride, std::int16_t* block) {
    transformBlock<Op>(dst, stride, block);
}

// One loop over the blocks, so the transform's constants stay in registers.
template <class Op, bool field>
void block16(std::uint8_t* dst, int stride, std::int16_t* blocks) {
    const int step = field ? 2 * stride : stride;
    const int lower = field ? stride : 8 * stride;
    for (int b = 0; b < 4; ++b) transformBlock<Op>(dst + 8 * (b & 1) + lower * (b >> 1), step, blocks + 64 * b);
}

template <class Op, bool field>
void block8x16(std::uint8_t* dst, int stride, std::int16_t* upper, std::int16_t* lower) {
    const int step = field ? 2 * stride : stride;
    transformBlock<Op>(dst, step, upper);
    transformBlock<Op>(dst + (field ? stride : 8 * stride), step, lower);
}

}  // namespace

constexpr BlockStores stores = {
    &block16<VectorIntra, false>,   &block16<VectorIntra, true>,     &block16<RowPairAdd, false>,
    &block16<RowPairAdd, true>,     &block8<RowPairAdd>,             &block8<VectorIntra>,
    &block8x16<VectorIntra, false>, &block8x16<VectorIntra, true>,
};

}  // namespace tl::kernels::sse2
