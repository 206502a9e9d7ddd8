// The two forms in which an accelerator that does the inverse DCT takes a
// block's run list (bConfig4GroupedCoefs 0 or 1).
//
// Single: one 4-byte entry per pair: 16-bit run * 2 with bit 0 set on the
// block's last entry, then the 16-bit value.
// Grouped: groups of four pairs in 12 bytes: four index bytes, then four
// 16-bit values, the group's first pair in index byte 3 and bytes 10-11, the
// second in byte 2 and bytes 8-9, the third in byte 1 and bytes 6-7, the fourth
// in byte 0 and bytes 4-5. A short last group is padded with index 0x3F and
// the group's last real value.
#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/macroblock/coefficients.h"

namespace tl::dxva {

inline constexpr std::uint8_t kGroupPaddingIndex = 0x3F;

constexpr std::size_t singleCoefficientBytes(int count) { return 4 * std::size_t(count); }
constexpr std::size_t groupedCoefficientBytes(int count) { return 12 * std::size_t((count + 3) / 4); }

// Each writes one block's `count` (> 0) pairs and returns the bytes written.
std::size_t writeSingleCoefficients(std::uint8_t* out, const RunLevelPair* pairs, int count);
std::size_t writeGroupedCoefficients(std::uint8_t* out, const RunLevelPair* pairs, int count);

}  // namespace tl::dxva
