// The DirectX VA 1 names the filter needs and the toolchain's headers lack.
// Values are those of the public DirectX VA documentation.
#pragma once
#include <windows.h>

#include <guiddef.h>

namespace tl::dxva {

// MPEG-2 restricted profiles A to D (motion compensation, IDCT, or both, done
// by the accelerator), offered as output media subtypes.
inline constexpr GUID kModeMPEG2_A = {0x1b81be0a, 0xa0c7, 0x11d3, {0xb9, 0x84, 0x00, 0xc0, 0x4f, 0x2e, 0x73, 0xc5}};
inline constexpr GUID kModeMPEG2_B = {0x1b81be0b, 0xa0c7, 0x11d3, {0xb9, 0x84, 0x00, 0xc0, 0x4f, 0x2e, 0x73, 0xc5}};
inline constexpr GUID kModeMPEG2_C = {0x1b81be0c, 0xa0c7, 0x11d3, {0xb9, 0x84, 0x00, 0xc0, 0x4f, 0x2e, 0x73, 0xc5}};
inline constexpr GUID kModeMPEG2_D = {0x1b81be0d, 0xa0c7, 0x11d3, {0xb9, 0x84, 0x00, 0xc0, 0x4f, 0x2e, 0x73, 0xc5}};

// IAMVideoAccelerator, implemented by a renderer's input pin that can host a
// DXVA 1 decoder. Connecting in a DXVA mode starts by asking the downstream pin
// for it; only its identifier is needed to find out whether it is there.
inline constexpr GUID kIID_IAMVideoAccelerator = {
    0x256a6a22, 0xfbad, 0x11d1, {0x82, 0xbf, 0x00, 0xa0, 0xc9, 0x69, 0x6c, 0x8f}};

inline bool IsDxvaMode(const GUID& subtype) {
    return IsEqualGUID(subtype, kModeMPEG2_A) || IsEqualGUID(subtype, kModeMPEG2_B) ||
           IsEqualGUID(subtype, kModeMPEG2_C) || IsEqualGUID(subtype, kModeMPEG2_D);
}

}  // namespace tl::dxva
