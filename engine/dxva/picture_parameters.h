// DXVA_PictureParameters of one picture (or field) decoded into the surface
// of targets.current; reference surfaces are the pictures' pool indices.
#pragma once
#include "engine/dxva/dxva_structures.h"
#include "engine/framework/decoding_path.h"
#include "engine/framework/stream_state.h"

namespace tl::dxva {

inline constexpr std::uint16_t kNoSurface = 0xFFFF;

DXVA_PictureParameters makePictureParameters(const StreamState& stream, const PictureTargets& targets);

}  // namespace tl::dxva
