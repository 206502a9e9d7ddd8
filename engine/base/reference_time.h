#pragma once
#include <cstdint>

namespace tl {

// 100-ns units, as DirectShow counts them.
using ReferenceTime = std::int64_t;

// All bits set: the sample or picture carries no time.
inline constexpr ReferenceTime kNoTime = -1;

}  // namespace tl
