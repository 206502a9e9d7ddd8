// Error concealment: the macroblocks of a picture that no slice reached are
// filled with the co-located area of the nearest reference picture, so a
// damaged picture shows the scene rather than stale buffer content.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/framework/decoding_path.h"
#include "engine/macroblock/picture_params.h"

namespace tl {

// reached[a] is nonzero for every macroblock address a that was decoded; it
// holds params.mb_count entries. The forward reference is taken (the previous
// reference for I and P pictures), else the backward one; a reference of
// another geometry, or none, leaves the picture as it is.
void ConcealUnreached(const PictureParams& params, const PictureTargets& targets,
                      const std::vector<std::uint8_t>& reached);

}  // namespace tl
