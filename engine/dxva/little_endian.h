// Little-endian stores into accelerator buffers, which may sit at any address.
#pragma once
#include <cstdint>

namespace tl::dxva {

inline void put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}

inline void put32(std::uint8_t* p, std::uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

inline std::uint16_t get16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

inline std::uint32_t get32(const std::uint8_t* p) { return get16(p) | std::uint32_t(get16(p + 2)) << 16; }

}  // namespace tl::dxva
