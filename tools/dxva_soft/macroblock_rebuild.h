// The software accelerator's reading of one batch of macroblocks: each control
// record with its residual (spatial from the host, or coefficients it
// transforms itself) and its motion vectors, rebuilt into the destination
// surface from the reference surfaces the picture parameters name.
#pragma once
#include <cstdint>

#include "engine/dxva/dxva_structures.h"
#include "tools/dxva_soft/surfaces.h"

namespace tl::dxva_soft {

struct PictureContext {
    dxva::DXVA_PictureParameters params{};
    dxva::DXVA_ConfigPictureDecode config{};
    Surface* current = nullptr;
    const Surface* forward = nullptr;   // null when the parameters name none
    const Surface* backward = nullptr;
};

// Rebuilds `count` records of `control` with their data in `residual`
// (`residualSize` bytes). Records whose data lies outside are left out.
void rebuildMacroblocks(const PictureContext& picture, const std::uint8_t* control, std::uint32_t count,
                        const std::uint8_t* residual, std::uint32_t residualSize);

}  // namespace tl::dxva_soft
