// macroblock_modes(): macroblock_type of I, P and B pictures, the motion type,
// dct_type and quantiser_scale_code. Inline: the slice loop's bit window stays
// in registers only when every parser it calls per macroblock is inlined.
#pragma once
#include <cstdint>

#include "engine/base/picture.h"
#include "engine/macroblock/local_bits.h"
#include "engine/macroblock/macroblock_flags.h"
#include "engine/macroblock/parser_state.h"
#include "engine/macroblock/picture_params.h"

namespace tl {

struct MacroblockModes {
    std::uint32_t flags = 0;    // flags word without the coded block pattern
    int vectorCount = 1;        // motion vectors per direction
    bool frameFormat = false;   // vectors are frame vectors
    bool halveVertical = false; // field vectors held in frame units
};

namespace modes_tables {

inline constexpr std::uint32_t kIntra = mb::intra;
inline constexpr std::uint32_t kForward = mb::motionForward;
inline constexpr std::uint32_t kBackward = mb::motionBackward;
inline constexpr std::uint32_t kPattern = mb::pattern;
inline constexpr std::uint32_t kQuant = mb::quant;

struct TypeCode {
    std::uint32_t flags;
    int length;  // 0: invalid
};

// macroblock_type in I pictures.
constexpr TypeCode intraType(std::uint32_t w) {
    if (w & 0x80000000u) return {kIntra, 1};
    if (w & 0x40000000u) return {kIntra | kQuant, 2};
    return {0, 0};
}

// macroblock_type in P pictures.
constexpr TypeCode predictiveType(std::uint32_t w) {
    if (w & 0x80000000u) return {kForward | kPattern, 1};
    if (w & 0x40000000u) return {kPattern, 2};
    if (w & 0x20000000u) return {kForward, 3};
    switch (w >> 27) {  // 00011, 00010, 00001, 00000
    case 3: return {kIntra, 5};
    case 2: return {kForward | kPattern | kQuant, 5};
    case 1: return {kPattern | kQuant, 5};
    default: break;
    }
    if (w & 0x04000000u) return {kIntra | kQuant, 6};
    return {0, 0};
}

// macroblock_type in B pictures.
constexpr TypeCode bidirectionalType(std::uint32_t w) {
    switch (w >> 28) {
    case 8: case 9: case 10: case 11: return {kForward | kBackward, 2};               // 10
    case 12: case 13: case 14: case 15: return {kForward | kBackward | kPattern, 2};  // 11
    case 4: case 5: return {kBackward, 3};                                            // 010
    case 6: case 7: return {kBackward | kPattern, 3};                                 // 011
    case 2: return {kForward, 4};                                                     // 0010
    case 3: return {kForward | kPattern, 4};                                          // 0011
    default: break;
    }
    switch (w >> 26) {  // 0001 xx, 0000 xx
    case 6: case 7: return {kIntra, 5};                                   // 00011
    case 4: case 5: return {kForward | kBackward | kPattern | kQuant, 5};  // 00010
    case 3: return {kForward | kPattern | kQuant, 6};                     // 000011
    case 2: return {kBackward | kPattern | kQuant, 6};                    // 000010
    case 1: return {kIntra | kQuant, 6};                                  // 000001
    default: return {0, 0};
    }
}

// Every code of the three picture types by its longest prefix (6 bits), in one
// lookup: the types of neighbouring macroblocks vary too much for the decision
// trees' branches.
inline constexpr int kTypeCodeBits = 6;
struct TypeTable {
    TypeCode codes[1 << kTypeCodeBits];
};
constexpr TypeTable typeTable(TypeCode (*code)(std::uint32_t)) {
    TypeTable t{};
    for (std::uint32_t i = 0; i < (1u << kTypeCodeBits); ++i) t.codes[i] = code(i << (32 - kTypeCodeBits));
    return t;
}
// By picture_coding_type - 1.
inline constexpr TypeTable kTypeTables[3] = {typeTable(intraType), typeTable(predictiveType),
                                             typeTable(bidirectionalType)};

}  // namespace modes_tables

// Motion-type bookkeeping shared with the skipped-macroblock rule: the vector
// count and formats that follow from the motion type in `flags`.
inline void deriveVectorFormat(const PictureParams& params, MacroblockModes& modes) {
    const std::uint32_t type = motionTypeOf(modes.flags);
    if (params.framePicture()) {
        modes.vectorCount = type == MC_FIELD ? 2 : 1;
        modes.frameFormat = type == MC_FRAME;
        modes.halveVertical = type == MC_FIELD || type == MC_DUAL_PRIME;
    } else {
        modes.vectorCount = type == MC_16X8 ? 2 : 1;
        modes.frameFormat = false;
        modes.halveVertical = false;
    }
}

// Invalid macroblock_type: one error, kBitstreamError. A picture type other
// than I, P or B: one error, kPictureFinished.
inline HResult parseMacroblockModes(LocalBits& bits, const PictureParams& params, ParserState& state,
                                    MacroblockModes& modes) {
    using namespace modes_tables;
    if (HResult r = bits.ensure(21); r != hr::ok) return r;
    if (params.picture_coding_type < PICTURE_I || params.picture_coding_type > PICTURE_B) {
        ++state.errors;
        return kPictureFinished;
    }
    // Every field below fits in the 21 bits ensured above; they are read from
    // a copy of the window and skipped at once at the end.
    const std::uint32_t window = bits.window();
    const TypeCode type = kTypeTables[params.picture_coding_type - PICTURE_I].codes[window >> (32 - kTypeCodeBits)];
    if (!type.length) {
        ++state.errors;
        return kBitstreamError;
    }
    int used = type.length;
    auto read = [&](int n) {
        const std::uint32_t v = (window << used) >> (32 - n);
        used += n;
        return v;
    };
    std::uint32_t flags = type.flags;

    if (flags & (kForward | kBackward)) {
        if (!params.framePicture() || !params.frame_pred_frame_dct)
            flags |= read(2) << mb::motionTypeShift;
        else
            flags |= MC_FRAME << mb::motionTypeShift;
    } else if ((flags & kIntra) && params.concealment_motion_vectors) {
        flags |= (params.framePicture() ? MC_FRAME : MC_FIELD) << mb::motionTypeShift;
    }
    if (params.framePicture() && !params.frame_pred_frame_dct && (flags & (kIntra | kPattern)))
        flags |= read(1) ? mb::fieldDct : 0;
    if (flags & kQuant) state.quantiser_scale = quantiserScale(params, read(5));
    bits.skip(used);
    modes.flags = flags;
    deriveVectorFormat(params, modes);
    return hr::ok;
}

}  // namespace tl
