// The 32-bit word that describes one parsed macroblock. The slice parser writes
// it, reconstruction reads it, and the DirectX VA path sends its low 16 bits
// unchanged as wMBtype, so the layout below is fixed.
#pragma once
#include <cstdint>

namespace tl {

namespace mb {
inline constexpr std::uint32_t intra = 1u << 0;
inline constexpr std::uint32_t motionForward = 1u << 1;
inline constexpr std::uint32_t motionBackward = 1u << 2;
inline constexpr std::uint32_t fieldDct = 1u << 5;
inline constexpr int motionTypeShift = 8;
inline constexpr std::uint32_t motionTypeMask = 3u << motionTypeShift;
inline constexpr std::uint32_t quant = 1u << 16;
inline constexpr std::uint32_t pattern = 1u << 17;
inline constexpr int cbpShift = 20;  // block 0 in bit 31, block 11 in bit 20
inline constexpr std::uint32_t cbpMask = 0xFFFu << cbpShift;

// motion_vertical_field_select[r][s]: r = first/second vector, s = forward/backward.
constexpr std::uint32_t fieldSelect(int r, int s) { return 1u << (12 + 2 * r + s); }

// Block b (0..11) is coded.
constexpr std::uint32_t coded(int b) { return 1u << (31 - b); }

// The number of coded blocks in a pattern, without the library call that
// __builtin_popcount becomes on processors without POPCNT.
constexpr int codedCount(std::uint32_t cbp) {
    cbp = cbp - ((cbp >> 1) & 0x55555555u);
    cbp = (cbp & 0x33333333u) + ((cbp >> 2) & 0x33333333u);
    cbp = (cbp + (cbp >> 4)) & 0x0F0F0F0Fu;
    return static_cast<int>((cbp * 0x01010101u) >> 24);
}
}  // namespace mb

// Motion types as they sit in bits 8-9: frame_motion_type in frame pictures,
// field_motion_type in field pictures.
enum MotionType : std::uint32_t {
    MC_FIELD = 1,       // field (frame pictures) or field (field pictures)
    MC_FRAME = 2,       // frame (frame pictures) or 16x8 (field pictures)
    MC_16X8 = 2,
    MC_DUAL_PRIME = 3,
};

constexpr std::uint32_t motionTypeOf(std::uint32_t flags) {
    return (flags & mb::motionTypeMask) >> mb::motionTypeShift;
}

}  // namespace tl
