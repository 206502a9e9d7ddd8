// Writing coefficient blocks into the picture after the inverse DCT: intra
// blocks are centred on 128, residuals are added to the prediction already in
// place. Both saturate to 0..255.
#include <algorithm>

#include "engine/macroblock/block_store_kernels.h"

namespace tl::kernels::plain {
namespace {

struct Rows {
    static void transform(std::int16_t* blocks, int count) { idct(blocks, count); }
    static void zero(std::int16_t* blocks, int count) { std::fill_n(blocks, 64 * count, std::int16_t{0}); }

    struct Intra {
        static std::uint8_t apply(std::uint8_t, std::int16_t r) {
            return static_cast<std::uint8_t>(std::clamp(r + 128, 0, 255));
        }
    };

    struct Add {
        static std::uint8_t apply(std::uint8_t p, std::int16_t r) {
            return static_cast<std::uint8_t>(std::clamp(p + r, 0, 255));
        }
    };

    // Eight rows of one block, 8 columns wide.
    template <class Op>
    static void rows8(std::uint8_t* dst, int stride, const std::int16_t* block) {
        for (int y = 0; y < 8; ++y, dst += stride, block += 8) {
            for (int x = 0; x < 8; ++x) dst[x] = Op::apply(dst[x], block[x]);
        }
    }

    // Eight rows of two blocks side by side, 16 columns wide.
    template <class Op>
    static void rows16(std::uint8_t* dst, int stride, const std::int16_t* left, const std::int16_t* right) {
        rows8<Op>(dst, stride, left);
        rows8<Op>(dst + 8, stride, right);
    }

    static void finish() {}
};

}  // namespace

constexpr BlockStores stores = blockStores<Rows>();

}  // namespace tl::kernels::plain
