// Writing transformed blocks into the picture: intra blocks are centred on 128,
// residuals are added to the prediction already in place. Both saturate to
// 0..255.
#include <algorithm>

#include "engine/macroblock/kernel_tiers.h"

namespace tl::kernels::plain {
namespace {

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
void rows8(std::uint8_t* dst, int stride, const std::int16_t* block) {
    for (int y = 0; y < 8; ++y, dst += stride, block += 8) {
        for (int x = 0; x < 8; ++x) dst[x] = Op::apply(dst[x], block[x]);
    }
}

// Eight rows of two blocks side by side, 16 columns wide.
template <class Op>
void rows16(std::uint8_t* dst, int stride, const std::int16_t* left, const std::int16_t* right) {
    rows8<Op>(dst, stride, left);
    rows8<Op>(dst + 8, stride, right);
}

}  // namespace

void intraStore16Frame(std::uint8_t* dst, int stride, const std::int16_t* blocks) {
    rows16<Intra>(dst, stride, blocks, blocks + 64);
    rows16<Intra>(dst + 8 * stride, stride, blocks + 128, blocks + 192);
}

void intraStore16Field(std::uint8_t* dst, int stride, const std::int16_t* blocks) {
    rows16<Intra>(dst, 2 * stride, blocks, blocks + 64);
    rows16<Intra>(dst + stride, 2 * stride, blocks + 128, blocks + 192);
}

void addResidual16Frame(std::uint8_t* dst, int stride, const std::int16_t* blocks) {
    rows16<Add>(dst, stride, blocks, blocks + 64);
    rows16<Add>(dst + 8 * stride, stride, blocks + 128, blocks + 192);
}

void addResidual16Field(std::uint8_t* dst, int stride, const std::int16_t* blocks) {
    rows16<Add>(dst, 2 * stride, blocks, blocks + 64);
    rows16<Add>(dst + stride, 2 * stride, blocks + 128, blocks + 192);
}

void addResidual8(std::uint8_t* dst, int stride, const std::int16_t* block) {
    rows8<Add>(dst, stride, block);
}

void intraStore8(std::uint8_t* dst, int stride, const std::int16_t* block) {
    rows8<Intra>(dst, stride, block);
}

void intraStore8x16Frame(std::uint8_t* dst, int stride, const std::int16_t* upper,
                         const std::int16_t* lower) {
    rows8<Intra>(dst, stride, upper);
    rows8<Intra>(dst + 8 * stride, stride, lower);
}

void intraStore8x16Field(std::uint8_t* dst, int stride, const std::int16_t* upper,
                         const std::int16_t* lower) {
    rows8<Intra>(dst, 2 * stride, upper);
    rows8<Intra>(dst + stride, 2 * stride, lower);
}

}  // namespace tl::kernels::plain
