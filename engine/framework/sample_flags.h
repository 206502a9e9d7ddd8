// Sample property flags with the values of AM_SAMPLE2_PROPERTIES.dwSampleFlags
// and AM_SAMPLE2_PROPERTIES.dwTypeSpecificFlags for video.
#pragma once
#include <cstdint>

namespace tl::sample_flag {
inline constexpr std::uint32_t splice_point = 0x1;
inline constexpr std::uint32_t preroll = 0x2;
inline constexpr std::uint32_t data_discontinuity = 0x4;
inline constexpr std::uint32_t type_changed = 0x8;
inline constexpr std::uint32_t time_valid = 0x10;
inline constexpr std::uint32_t time_discontinuity = 0x40;
inline constexpr std::uint32_t flush_on_pause = 0x80;
inline constexpr std::uint32_t stop_valid = 0x100;
}  // namespace tl::sample_flag

namespace tl::video_flag {
inline constexpr std::uint32_t field1_first = 0x4;
inline constexpr std::uint32_t weave = 0x8;
inline constexpr std::uint32_t repeat_field = 0x40;
}  // namespace tl::video_flag

namespace tl {
// GetDeliveryBuffer flag for the second field of double-rate output.
inline constexpr std::uint32_t kNotASyncPoint = 2;
}  // namespace tl
