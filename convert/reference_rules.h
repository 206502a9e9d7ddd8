// The conversion rules one sample at a time: the plain reference kernels are
// written from these, and the SIMD tiers are tested against them.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "convert/conversion_kernels.h"
#include "convert/vertical_rules.h"

namespace tl::reference {

inline int avg(int a, int b) { return (a + b + 1) >> 1; }

// Y clipped to 16..235, lowered by 16 and stretched by 299/256.
inline std::uint8_t correctLuma(int y) {
    const int y1 = std::max(std::min(y + 20, 255) - 36, 0);
    return static_cast<std::uint8_t>((y1 * 299) >> 8);
}
// C clipped to 16..239, lowered by 16 and stretched by 293/256.
inline std::uint8_t correctChroma(int c) {
    const int c1 = std::max(std::min(c + 16, 255) - 32, 0);
    return static_cast<std::uint8_t>((c1 * 293) >> 8);
}

inline std::uint8_t blend(int s, int p, int alpha) {
    if (alpha == 0) return static_cast<std::uint8_t>(s);
    return static_cast<std::uint8_t>(std::min(((s * 256 - s * alpha) >> 8) + p, 255));
}

// B, G, R and the by-product fourth byte for one pixel.
void ycbcrToBgrx(const RgbMatrixBlock& m, int y, int cb, int cr, std::uint8_t out[4]);

// One plane's samples after the vertical rule of a deinterlace class.
class VerticalSampler {
public:
    enum class Source {
        Rows,          // one source row per output row
        Upsample420,   // 4:2:0 chroma brought to full height
    };

    // rows: source rows that exist; outRows: output rows (= rows for Source::Rows).
    VerticalSampler(const std::uint8_t* plane, std::ptrdiff_t stride, int rows, int outRows,
                    VerticalClass cls, Source source)
        : plane_(plane), stride_(stride), rows_(rows), outRows_(outRows), cls_(cls), source_(source) {}

    int at(int r, int x) const {
        switch (cls_) {
        case VerticalClass::Progressive:
        case VerticalClass::Weave: return base(r, x);
        case VerticalClass::Bob:
            return avg(base(r, x), avg(base(clampRow(r - 1, outRows_), x), base(clampRow(r + 1, outRows_), x)));
        case VerticalClass::FieldTop:
        case VerticalClass::FieldBottom:
            if (isFieldRow(r, cls_ == VerticalClass::FieldTop)) return base(r, x);
            return avg(base(clampRow(r - 1, outRows_), x), base(clampRow(r + 1, outRows_), x));
        }
        return 0;
    }

private:
    int sample(int row, int x) const { return plane_[row * stride_ + x]; }

    int base(int r, int x) const {
        if (source_ == Source::Rows) return sample(r, x);
        if (cls_ == VerticalClass::Progressive) return sample(clampRow(r >> 1, rows_), x);
        const RowPair p = weaveChromaPair(r, outRows_, rows_);
        return avg(sample(p.a, x), sample(p.b, x));
    }

    const std::uint8_t* plane_;
    std::ptrdiff_t stride_;
    int rows_;
    int outRows_;
    VerticalClass cls_;
    Source source_;
};

// Samplers for a picture's three planes converted at full height.
struct PictureSamplers {
    VerticalSampler y, cb, cr;
};
PictureSamplers pictureSamplers(const KernelArgs& a, VerticalClass cls, ChromaLayout layout);

}  // namespace tl::reference
