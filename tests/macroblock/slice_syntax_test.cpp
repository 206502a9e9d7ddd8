// Address increments, macroblock modes, coded block patterns, motion vectors
// and the skipped-macroblock rule, each against hand-written codes.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <tuple>

#include "engine/base/picture.h"
#include "engine/macroblock/coded_block_pattern.h"
#include "engine/macroblock/macroblock_flags.h"
#include "engine/macroblock/macroblock_modes.h"
#include "engine/macroblock/motion_vectors.h"
#include "engine/macroblock/slice_decoder.h"
#include "engine/macroblock/slice_header.h"
#include "tests/macroblock/on_window.h"

namespace tl::test {
namespace {

PictureParams paramsFor(int type, int structure = FRAME_PICTURE, bool framePredFrameDct = true,
                        const std::function<void(StreamState&)>& more = {}) {
    StreamState s;
    s.picture_coding_type = type;
    s.picture_structure = structure;
    s.frame_pred_frame_dct = framePredFrameDct;
    s.chroma_format = CHROMA_420;
    s.mb_width = 4;
    s.mb_height = 4;
    s.f_code[0][0] = s.f_code[0][1] = s.f_code[1][0] = s.f_code[1][1] = 1;
    if (more) more(s);
    return makePictureParams(s);
}

// The code list is table data that every corpus picture decodes through; the
// shortest and longest codes and the escapes are what the parser itself adds.
TEST(AddressIncrement, ShortestLongestEscapedAndInvalidCodes) {
    // Increment 0: stuffing or an invalid code, which ends the slice without an error.
    for (auto [bits, expected] : {std::pair{"1", 1}, {"00000011000", 33}, {"00000001000 1", 34},
                                  {"00000001000 00000001000 0011", 70}, {"00000001111", 0}, {"00000000000", 0},
                                  {"00000001001", 0}}) {
        SCOPED_TRACE(bits);
        TestReader t{std::string(bits)};
        std::int32_t increment = 0;
        ASSERT_EQ(onWindow(t, [&](LocalBits& b) { return parseAddressIncrement(b, increment); }), expected ? hr::ok : kBitstreamError);
        if (!expected) continue;
        EXPECT_EQ(std::make_pair(increment, t.consumed()), std::make_pair(expected, bitCount(bits)));
    }
}

struct TypeCase {
    int pictureType;
    const char* bits;
    std::uint32_t flags;  // without the motion type
    HResult result;
};

// A code of each picture type with a quantiser scale, the invalid all-zero
// prefixes and a D picture; the rest of the code lists is table data the corpus
// decodes through.
TEST(MacroblockModes, TypesQuantiserAndInvalidCodes) {
    using namespace mb;
    const TypeCase cases[] = {
        {PICTURE_I, "01 00001", intra | quant, hr::ok},
        {PICTURE_I, "00", 0, kBitstreamError},
        {PICTURE_P, "00010 00001", motionForward | pattern | quant, hr::ok},
        {PICTURE_P, "000000", 0, kBitstreamError},
        {PICTURE_B, "000010 00001", motionBackward | pattern | quant, hr::ok},
        {PICTURE_B, "000000", 0, kBitstreamError},
        {4, "1", 0, kPictureFinished},  // D picture
    };
    for (const TypeCase& c : cases) {
        SCOPED_TRACE(c.bits);
        const PictureParams p = paramsFor(c.pictureType);
        ParserState state;
        MacroblockModes modes;
        TestReader t{std::string(c.bits)};
        EXPECT_EQ(onWindow(t, [&](LocalBits& b) { return parseMacroblockModes(b, p, state, modes); }), c.result);
        if (c.result == hr::ok) {
            EXPECT_EQ(modes.flags & ~motionTypeMask, c.flags);
            if (c.flags & quant) {
                EXPECT_EQ(state.quantiser_scale, 2);
            }
        } else {
            EXPECT_EQ(state.errors, 1u);
        }
    }
}

struct ModeCase {
    int structure;
    bool framePredFrameDct;
    bool concealment;
    const char* bits;
    std::uint32_t motionType;
    bool fieldDct;
    int vectorCount;
    bool frameFormat;
    bool halveVertical;
};

TEST(MacroblockModes, MotionTypeDctTypeAndVectorFormat) {
    const ModeCase cases[] = {
        // Frame pictures' motion and dct types are decided by the interlaced corpus
        // streams. Field pictures: 16x8 takes two vectors; no dct_type.
        {TOP_FIELD, false, false, "11 10", MC_16X8, false, 2, false, false},
        {BOTTOM_FIELD, false, false, "11 01", MC_FIELD, false, 1, false, false},
        // Intra with concealment vectors: frame motion in frame pictures, field in fields.
        {FRAME_PICTURE, false, true, "00011 0", MC_FRAME, false, 1, true, false},
        {TOP_FIELD, false, true, "00011", MC_FIELD, false, 1, false, false},
        // Intra without concealment vectors: no motion type.
        {FRAME_PICTURE, false, false, "00011 1", 0, true, 1, false, false},
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.bits);
        const PictureParams p = paramsFor(PICTURE_B, c.structure, c.framePredFrameDct,
                                          [&](StreamState& s) { s.concealment_motion_vectors = c.concealment; });
        ParserState state;
        MacroblockModes modes;
        TestReader t{std::string(c.bits)};
        ASSERT_EQ(onWindow(t, [&](LocalBits& b) { return parseMacroblockModes(b, p, state, modes); }), hr::ok);
        EXPECT_EQ(std::make_tuple(motionTypeOf(modes.flags), (modes.flags & mb::fieldDct) != 0, modes.vectorCount,
                                  modes.frameFormat, modes.halveVertical),
                  std::make_tuple(c.motionType, c.fieldDct, c.vectorCount, c.frameFormat, c.halveVertical));
    }
}

TEST(CodedBlockPattern, EachChromaFormat) {
    // 4:2:0 and 4:2:2 patterns are decided by the corpus. Patterns have block 0
    // in bit 11; kInvalid is a bitstream error.
    constexpr std::uint32_t kInvalid = ~0u;
    for (auto [chromaFormat, bits, expected] :
         {std::tuple{CHROMA_420, "000000001", 0u}, {CHROMA_444, "001100 101010", 0xFEAu},
          {CHROMA_444, "01011 000001", 0x041u}, {CHROMA_420, "000000000", kInvalid}}) {
        SCOPED_TRACE(bits);
        TestReader t{std::string(bits)};
        std::uint32_t pattern = kInvalid;
        std::uint32_t errors = 0;
        const bool valid = expected != kInvalid;
        ASSERT_EQ(onWindow(t, [&](LocalBits& b) { return parseCodedBlockPattern(b, chromaFormat, pattern, errors); }),
                  valid ? hr::ok : kBitstreamError);
        EXPECT_EQ(std::make_pair(errors, valid ? pattern : kInvalid), std::make_pair(valid ? 0u : 1u, expected));
    }
}

TEST(MotionVectors, ReconstructionWrapsIntoRange) {
    // Prediction, motion code, residual, r_size, the vector.
    for (auto [prediction, code, residual, rSize, expected] : {
             std::array{0, 0, 0, 0, 0}, {5, 3, 0, 0, 8}, {0, -16, 0, 0, -16}, {15, 1, 0, 0, -16}, {-16, -1, 0, 0, 15},
             {10, 2, 1, 1, 14}, {-60, -4, 3, 2, 52}, {63, 1, 0, 2, -64}, {0, 16, 3, 2, 64 - 128}})
        EXPECT_EQ(reconstructVectorComponent(prediction, code, std::uint32_t(residual), rSize), expected)
            << prediction << " " << code << " " << residual << " " << rSize;
}

// Codes (motion_code with its sign) whose value wraps at f_code 1, the sign
// bit, and an invalid code (kInvalidCode: a bitstream error).
TEST(MotionVectors, CodesWrapIntoTheRangeOfTheFCode) {
    constexpr std::int32_t kInvalidCode = 99;
    for (auto [bits, code] : {std::pair{"1", 0}, {"011", -1}, {"00000011010", 15}, {"00000011000", 16},
                              {"00000011001", -16}, {"0000001011", kInvalidCode}}) {
        SCOPED_TRACE(bits);
        const PictureParams p = paramsFor(PICTURE_P);  // f_code 1: delta = code
        ParserState state;
        MacroblockModes modes;
        modes.flags = MC_FRAME << mb::motionTypeShift;
        deriveVectorFormat(p, modes);
        TestReader t{std::string(bits) + "1"};  // vertical: 0
        const bool valid = code != kInvalidCode;
        ASSERT_EQ(onWindow(t, [&](LocalBits& b) { return parseMotionVectors(b, p, state, modes, 0); }),
                  valid ? hr::ok : kBitstreamError);
        EXPECT_EQ(state.errors, valid ? 0u : 1u);
        if (!valid) continue;
        const std::int32_t expected = code >= 16 ? code - 32 : code < -16 ? code + 32 : code;
        EXPECT_EQ(std::make_pair(state.PMV[0][0][0], state.PMV[1][0][0]), std::make_pair(expected, expected));
    }
}

TEST(MotionVectors, FieldPictureFieldMotionSelectAppliesToBothVectors) {
    const PictureParams p = paramsFor(PICTURE_B, TOP_FIELD, false);
    ParserState state;
    MacroblockModes modes;
    modes.flags = mb::motionBackward | (MC_FIELD << mb::motionTypeShift);
    deriveVectorFormat(p, modes);
    TestReader t{std::string("1 0010 0011")};
    ASSERT_EQ(onWindow(t, [&](LocalBits& b) { return parseMotionVectors(b, p, state, modes, 1); }), hr::ok);
    EXPECT_EQ(std::make_tuple(state.PMV[0][1][0], state.PMV[0][1][1], state.PMV[1][1][0], state.PMV[1][1][1]),
              std::make_tuple(2, -2, 2, -2));
    const std::uint32_t bothSecond = mb::fieldSelect(0, 1) | mb::fieldSelect(1, 1);
    EXPECT_EQ(modes.flags & bothSecond, bothSecond);
}

struct DualPrimeCase {
    int structure;
    bool topFieldFirst;
    std::int32_t x, y;    // decoded vector (y in frame units for frame pictures)
    std::int32_t dx, dy;  // dmvector
    std::int32_t first[2];
    std::int32_t second[2];  // frame pictures only; field pictures leave it alone
    std::uint32_t selects;
};

TEST(DualPrime, DerivedVectorsAndFieldSelects) {
    using mb::fieldSelect;
    const std::uint32_t frameSelects = fieldSelect(0, 1) | fieldSelect(1, 0);
    const DualPrimeCase cases[] = {
        // Frame, top field first: top from bottom m = 1, bottom from top m = 3.
        {FRAME_PICTURE, true, 5, 6, 1, 0, {3 + 1, (2 + 0 - 1) * 2}, {8 + 1, (5 + 0 + 1) * 2}, frameSelects},
        {FRAME_PICTURE, true, -5, -6, 0, -1, {-3, (-2 - 1 - 1) * 2}, {-8, (-5 - 1 + 1) * 2}, frameSelects},
        // Bottom field first swaps the multipliers.
        {FRAME_PICTURE, false, 3, 2, -1, 1, {5 - 1, (2 + 1 - 1) * 2}, {2 - 1, (1 + 1 + 1) * 2}, frameSelects},
        // Field pictures: half the vector rounded away from zero, e = -1 top, +1 bottom.
        {TOP_FIELD, false, 3, -3, 0, 1, {2, -2 + 1 - 1}, {0, 0}, fieldSelect(0, 1)},
        {BOTTOM_FIELD, false, -3, 3, 1, 0, {-2 + 1, 2 + 1}, {0, 0}, fieldSelect(0, 0)},
    };
    for (const DualPrimeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.structure << " " << c.x << "," << c.y);
        const PictureParams p =
            paramsFor(PICTURE_P, c.structure, false, [&](StreamState& s) { s.top_field_first = c.topFieldFirst; });
        ParserState state;
        state.PMV[0][0][0] = state.PMV[1][0][0] = c.x;
        state.PMV[0][0][1] = state.PMV[1][0][1] = c.y;
        state.dmvector[0] = c.dx;
        state.dmvector[1] = c.dy;
        std::uint32_t flags = mb::fieldSelect(0, 0) | mb::fieldSelect(1, 1);
        applyDualPrime(p, state, flags);
        EXPECT_EQ(std::make_tuple(state.PMV[0][1][0], state.PMV[0][1][1], state.PMV[1][1][0], state.PMV[1][1][1],
                                  state.PMV[1][0][0], flags),
                  std::make_tuple(c.first[0], c.first[1], c.second[0], c.second[1], c.x, c.selects));
    }
}

struct SkipCase {
    int type;
    int structure;
    std::uint32_t previous;
    std::uint32_t expected;
};

TEST(SkippedMacroblocks, FlagsFromThePreviousMacroblock) {
    using namespace mb;
    const std::uint32_t bothFirstSelects = fieldSelect(0, 0) | fieldSelect(0, 1);
    const std::uint32_t previousB = motionBackward | pattern | (MC_FIELD << motionTypeShift) | (0x3Fu << 26);
    const SkipCase cases[] = {
        {PICTURE_P, FRAME_PICTURE, pattern | (0x3Fu << 26), pattern | motionForward | (MC_FRAME << motionTypeShift)},
        {PICTURE_P, TOP_FIELD, motionForward | bothFirstSelects, motionForward | (MC_FIELD << motionTypeShift)},
        {PICTURE_P, BOTTOM_FIELD, motionForward, motionForward | (MC_FIELD << motionTypeShift) | bothFirstSelects},
        {PICTURE_B, FRAME_PICTURE, previousB, motionBackward | pattern | (MC_FRAME << motionTypeShift)},
        {PICTURE_B, FRAME_PICTURE, intra | (0x3Fu << 26), MC_FRAME << motionTypeShift},
    };
    for (const SkipCase& c : cases) {
        const PictureParams p = paramsFor(c.type, c.structure, false);
        ParserState state;
        state.PMV[0][0][0] = state.PMV[1][0][1] = state.PMV[0][1][0] = 7;
        state.dc_dct_pred[1] = 9;
        EXPECT_EQ(skippedMacroblockFlags(p, state, c.previous), c.expected);
        // P resets the forward predictors; B keeps everything.
        const int forward = c.type == PICTURE_P ? 0 : 7;
        EXPECT_EQ(std::make_tuple(state.dc_dct_pred[1], state.PMV[0][0][0], state.PMV[1][0][1], state.PMV[0][1][0]),
                  std::make_tuple(0, forward, forward, 7));
    }
}

// The non-linear quantiser_scale grows by 1, 2, 4 and then 8 per code, the
// step doubling every eight codes; the linear one is twice the code.
TEST(QuantiserScale, NonLinearStepDoublesEveryEightCodes) {
    PictureParams nonLinear, linear;
    nonLinear.q_scale_type = true;
    linear.q_scale_type = false;
    std::int32_t expected = 0;
    for (std::uint32_t code = 1; code < 32; ++code) {
        expected += 1 << ((code - 1) / 8);
        EXPECT_EQ(quantiserScale(nonLinear, code), expected) << code;
        EXPECT_EQ(quantiserScale(linear, code), std::int32_t(2 * code)) << code;
    }
}

}  // namespace
}  // namespace tl::test
