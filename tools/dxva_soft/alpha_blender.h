// The software accelerator's alpha blending: the loaded AYUV image, and its
// blend over a copy of a picture surface (luma per sample, chroma per 2x2
// block with the block's coverage).
#pragma once
#include <cstdint>
#include <vector>

#include "engine/dxva/dxva_structures.h"
#include "tools/dxva_soft/surfaces.h"

namespace tl::dxva_soft {

class AlphaBlender {
public:
    // Keeps `height` rows of `width` AYUV samples, `stride` bytes apart.
    void load(const std::uint8_t* ayuv, int width, int height, int stride);
    // destination = source with the loaded image's GraphicSourceRect blended
    // at GraphicDestinationRect (same size: no resizing was agreed).
    void blend(const dxva::DXVA_BlendCombination& combination, const Surface& source, Surface& destination) const;

private:
    std::vector<std::uint8_t> image_;
    int width_ = 0, height_ = 0;
};

}  // namespace tl::dxva_soft
