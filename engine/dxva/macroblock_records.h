// What one 4:2:0 macroblock puts into the accelerator's buffers: its control
// record, and its residual in the host forms (the accelerator-IDCT forms are
// in coefficient_forms.h).
#pragma once
#include <cstddef>
#include <cstdint>

namespace tl::dxva {

inline constexpr int kBlocksPerMacroblock = 6;
inline constexpr std::uint32_t kIntraRecordSize = 16;   // I pictures: no vectors
inline constexpr std::uint32_t kVectorRecordSize = 32;  // P and B pictures

struct ControlRecord {
    std::uint32_t address = 0;         // wMBaddress, within the field for field pictures
    std::uint32_t flags = 0;           // the slice parser's flags word
    std::uint32_t residualOffset = 0;  // bytes into the residual buffer
    bool withVectors = false;          // 32-byte form
    bool hostResidual = false;         // bConfigResidDiffHost form: wMBtype bit 10
    bool alternateScan = false;        // wMBtype bit 6
    const std::int32_t (*pmv)[2][2] = nullptr;  // PMV[r][s][t]
    const int* counts = nullptr;       // six coefficient counts; null: the host form's zero bytes
};

// Writes kIntraRecordSize or kVectorRecordSize bytes. Vector slots of
// directions the macroblock does not use, and all of an intra macroblock's,
// keep what the buffer held.
void writeControlRecord(std::uint8_t* out, const ControlRecord& record);

// Host residual, intra macroblocks of I pictures: the six inverse-transformed
// blocks as signed 8-bit samples (384 bytes).
std::size_t writeIntraResidual8(std::uint8_t* out, const std::int16_t* blocks);
// Host residual, P and B pictures: `count` blocks of 16-bit samples.
std::size_t writeResidual16(std::uint8_t* out, const std::int16_t* blocks, int count);

}  // namespace tl::dxva
