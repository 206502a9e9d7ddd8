#pragma once
#include <memory>

#include "engine/framework/decoding_path.h"

namespace tl {

std::unique_ptr<DecodingPath> makeSoftwareDecodingPath();

}  // namespace tl
