// The slice layer's leaf parsers against hand-written codes: address
// increments, macroblock modes, coded block patterns, motion vectors, the
// skipped-macroblock rule and the coefficients.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <tuple>

#include "engine/base/picture.h"
#include "engine/macroblock/coded_block_pattern.h"
#include "engine/macroblock/coefficients.h"
#include "engine/macroblock/dct_coefficient_tables.h"
#include "engine/macroblock/local_bits.h"
#include "engine/macroblock/macroblock_flags.h"
#include "engine/macroblock/macroblock_modes.h"
#include "engine/macroblock/motion_vectors.h"
#include "engine/macroblock/scaled_matrix_cache.h"
#include "engine/macroblock/slice_decoder.h"
#include "engine/macroblock/slice_header.h"
#include "tests/support/bit_writer.h"

namespace tl::test {
namespace {

// Runs one leaf parser on a bit window over a test reader, and hands the
// window back afterwards, so that the reader shows what was consumed.
template <class Parse>
HResult onWindow(TestReader& t, Parse parse) {
    LocalBits bits(t.reader);
    const HResult r = parse(bits);
    bits.writeBack();
    return r;
}

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

// A code of each picture type with a quantiser scale, the invalid all-zero
// prefixes and a D picture; the rest of the code lists is table data the corpus
// decodes through.
TEST(MacroblockModes, TypesQuantiserAndInvalidCodes) {
    using namespace mb;
    // Picture type, the code, the flags without the motion type, the result.
    for (auto [pictureType, bits, flags, result] : {
             std::tuple{int(PICTURE_I), "01 00001", std::uint32_t(intra | quant), hr::ok},
             {PICTURE_I, "00", 0, kBitstreamError},
             {PICTURE_P, "00010 00001", motionForward | pattern | quant, hr::ok},
             {PICTURE_P, "000000", 0, kBitstreamError},
             {PICTURE_B, "000010 00001", motionBackward | pattern | quant, hr::ok},
             {PICTURE_B, "000000", 0, kBitstreamError},
             {4, "1", 0, kPictureFinished},  // D picture
         }) {
        SCOPED_TRACE(bits);
        const PictureParams p = paramsFor(pictureType);
        ParserState state;
        MacroblockModes modes;
        TestReader t{std::string(bits)};
        EXPECT_EQ(onWindow(t, [&](LocalBits& b) { return parseMacroblockModes(b, p, state, modes); }), result);
        if (result == hr::ok) {
            EXPECT_EQ(modes.flags & ~motionTypeMask, flags);
            if (flags & quant) {
                EXPECT_EQ(state.quantiser_scale, 2);
            }
        } else {
            EXPECT_EQ(state.errors, 1u);
        }
    }
}

TEST(MacroblockModes, MotionTypeDctTypeAndVectorFormat) {
    // Picture structure, concealment vectors, the code; then the motion type,
    // field DCT, vector count and frame format (no case halves vertical vectors).
    for (auto [structure, concealment, bits, motionType, fieldDct, vectorCount, frameFormat] : {
             // Frame pictures' motion and dct types are decided by the interlaced corpus
             // streams. Field pictures: 16x8 takes two vectors; no dct_type.
             std::tuple{int(TOP_FIELD), false, "11 10", std::uint32_t(MC_16X8), false, 2, false},
             {BOTTOM_FIELD, false, "11 01", MC_FIELD, false, 1, false},
             // Intra with concealment vectors: frame motion in frame pictures, field in fields.
             {FRAME_PICTURE, true, "00011 0", MC_FRAME, false, 1, true},
             {TOP_FIELD, true, "00011", MC_FIELD, false, 1, false},
             // Intra without concealment vectors: no motion type.
             {FRAME_PICTURE, false, "00011 1", 0, true, 1, false},
         }) {
        SCOPED_TRACE(bits);
        const bool conceal = concealment;
        const PictureParams p =
            paramsFor(PICTURE_B, structure, false, [&](StreamState& s) { s.concealment_motion_vectors = conceal; });
        ParserState state;
        MacroblockModes modes;
        TestReader t{std::string(bits)};
        ASSERT_EQ(onWindow(t, [&](LocalBits& b) { return parseMacroblockModes(b, p, state, modes); }), hr::ok);
        EXPECT_EQ(std::make_tuple(motionTypeOf(modes.flags), (modes.flags & mb::fieldDct) != 0, modes.vectorCount,
                                  modes.frameFormat, modes.halveVertical),
                  std::make_tuple(motionType, fieldDct, vectorCount, frameFormat, false));
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
        const int format = chromaFormat;  // a lambda may not capture a structured binding before C++20
        ASSERT_EQ(onWindow(t, [&](LocalBits& b) { return parseCodedBlockPattern(b, format, pattern, errors); }),
                  valid ? hr::ok : kBitstreamError);
        EXPECT_EQ(std::make_pair(errors, valid ? pattern : kInvalid), std::make_pair(valid ? 0u : 1u, expected));
    }
}

TEST(MotionVectors, ReconstructionWrapsIntoRange) {
    // Prediction, motion code, residual, r_size, the vector.
    for (auto [prediction, code, residual, rSize, expected] : {
             std::array{0, 0, 0, 0, 0}, {5, 3, 0, 0, 8}, {0, -16, 0, 0, -16}, {15, 1, 0, 0, -16}, {-16, -1, 0, 0, 15},
             {10, 2, 1, 1, 14}, {-60, -4, 3, 2, 52}, {63, 1, 0, 2, -64}, {0, 16, 3, 2, 64 - 128},
             // A zero code keeps the prediction, even one beyond the range (a
             // field vector's doubled predictor read by a frame vector).
             {40, 0, 0, 1, 40}})
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

TEST(SkippedMacroblocks, FlagsFromThePreviousMacroblock) {
    using namespace mb;
    const std::uint32_t bothFirstSelects = fieldSelect(0, 0) | fieldSelect(0, 1);
    const std::uint32_t previousB = motionBackward | pattern | (MC_FIELD << motionTypeShift) | (0x3Fu << 26);
    // Picture type and structure, the previous macroblock's flags, the skipped one's.
    for (auto [type, structure, previous, expected] : {
             std::tuple{int(PICTURE_P), int(FRAME_PICTURE), std::uint32_t(pattern | (0x3Fu << 26)),
                        std::uint32_t(pattern | motionForward | (MC_FRAME << motionTypeShift))},
             {PICTURE_P, TOP_FIELD, motionForward | bothFirstSelects, motionForward | (MC_FIELD << motionTypeShift)},
             {PICTURE_P, BOTTOM_FIELD, motionForward, motionForward | (MC_FIELD << motionTypeShift) | bothFirstSelects},
             {PICTURE_B, FRAME_PICTURE, previousB, motionBackward | pattern | (MC_FRAME << motionTypeShift)},
             {PICTURE_B, FRAME_PICTURE, intra | (0x3Fu << 26), MC_FRAME << motionTypeShift},
         }) {
        const PictureParams p = paramsFor(type, structure, false);
        ParserState state;
        state.PMV[0][0][0] = state.PMV[1][0][1] = state.PMV[0][1][0] = 7;
        state.dc_dct_pred[1] = 9;
        EXPECT_EQ(skippedMacroblockFlags(p, state, previous), expected);
        // P resets the forward predictors; B keeps everything.
        const int forward = type == PICTURE_P ? 0 : 7;
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

// DC differences, AC codes with inverse quantisation, escapes, the first
// coefficient of non-intra blocks, mismatch control and the scaled matrices.
// The run-level form is decided by the DirectX VA corpus runs, which rebuild
// pictures from it.
// The longest size codes of each component and the 11-bit extremes the corpus
// (8-bit DC precision) never reaches.
TEST(DcDifferential, SizeCodesAndDifferences) {
    for (auto [chroma, bits, differential] :
         {std::tuple{false, "01 11", 3}, {false, "111111110 1000000000", 512}, {false, "111111111 00000000000", -2047},
          {false, "111111111 11111111111", 2047}, {true, "1110 0111", -8}, {true, "1111111110 1111111111", 1023},
          {true, "1111111111 00000000001", -2046}}) {
        TestReader t{std::string(bits)};
        std::int32_t d = 99;
        const bool isChroma = chroma;
        ASSERT_EQ(onWindow(t, [&](LocalBits& b) {
                      return isChroma ? decodeDcDifferentialChroma(b, d) : decodeDcDifferentialLuma(b, d);
                  }),
                  hr::ok);
        EXPECT_EQ(std::make_pair(d, t.consumed()), std::make_pair(differential, bitCount(bits))) << bits;
    }
}

enum class Form { IntraB14, IntraB15, NonIntra };

struct BlockCase {
    const char* name;
    Form form;
    std::uint16_t weight;     // every entry of the scaled matrix
    std::int16_t dc;          // intra only
    const char* bits;
    HResult result;
    // (scan position, value), mismatch control's coefficient 63 included; all others 0
    std::vector<std::pair<int, int>> coefficients;
};

std::array<std::uint16_t, 64> flat(std::uint16_t w) {
    std::array<std::uint16_t, 64> m;
    m.fill(w);
    return m;
}

HResult decodeBlock(const BlockCase& c, std::int16_t* block, std::uint32_t& errors, int& consumed) {
    const auto weights = flat(c.weight);
    TestReader t{std::string(c.bits)};
    block[0] = c.form == Form::NonIntra ? 0 : c.dc;
    const HResult r = onWindow(t, [&](LocalBits& b) {
        switch (c.form) {
        case Form::IntraB14: return decodeIntraBlockB14(b, block, weights.data(), kZigZagScan, errors);
        case Form::IntraB15: return decodeIntraBlockB15(b, block, weights.data(), kZigZagScan, errors);
        default: return decodeNonIntraBlock(b, block, weights.data(), kZigZagScan, errors);
        }
    });
    consumed = t.consumed();
    return r;
}

// The common codes, quantisation and mismatch control are decided by the
// corpus; these are the edges it does not reach.
const BlockCase kBlockCases[] = {
    // Intra, W' = 16: value = level. Escape onto position 63 with an even sum:
    // coefficient 63 itself toggles.
    {"mismatch_on_63", Form::IntraB14, 16, 0, "000001 111110 000000000010  10", hr::ok, {{63, 3}}},
    // An escape whose run carries the position past 63.
    {"position_overflow", Form::IntraB14, 16, 0, "000001 111111 000000000010  10", kBitstreamError, {}},
    // Twelve leading zeros is not a code.
    {"no_code", Form::IntraB14, 16, 0, "0000 0000 0000 1", kBitstreamError, {}},
    // Long shared codes: 9 leading zeros is run 0, level 31 - b; 11 zeros table.
    {"long_codes", Form::IntraB14, 16, 1, "0000 0000 0111 11 0  0000 0000 0001 0100 1  10", hr::ok,
     {{0, 1}, {1, 16}, {8, -3}, {63, 1}}},
    // B-15 codes of six leading zeros differ from B-14: 0000 0010 0 is (5, 2).
    {"b15_nine_bit_code", Form::IntraB15, 16, 0, "0000 0010 0 0  0110", hr::ok, {{6, 2}, {63, 1}}},
    {"b14_same_prefix", Form::IntraB14, 16, 0, "0000 0010 01 0  10", hr::ok, {{6, 2}, {63, 1}}},
    // Non-intra, W' = 32: value = 2 * level + 1. A long first code leaves "11"
    // to mean run 0, level 1 again.
    {"first_long_then_eleven", Form::NonIntra, 32, 0, "0000 0010 01 0  11 1  10", hr::ok,
     {{5, 5}, {6, -3}, {63, 1}}},
    // Non-intra truncation: (2 * 2 + 1) * 20 / 32 = 3.125 -> 3; escape uses the same rule.
    {"non_intra_truncates", Form::NonIntra, 20, 0, "0100 1  000001 000000 000000000010  10", hr::ok,
     {{0, -3}, {1, 3}, {63, 1}}},
};

TEST(Coefficients, BlockFormCases) {
    for (const BlockCase& c : kBlockCases) {
        SCOPED_TRACE(c.name);
        alignas(16) std::int16_t block[64] = {};
        std::uint32_t errors = 0;
        int consumed = 0;
        const HResult r = decodeBlock(c, block, errors, consumed);
        ASSERT_EQ(r, c.result);
        if (r != hr::ok) {
            EXPECT_EQ(errors, 1u);
            continue;
        }
        EXPECT_EQ(errors, 0u);
        EXPECT_EQ(consumed, bitCount(c.bits));
        std::int16_t expected[64] = {};
        if (c.form != Form::NonIntra) expected[0] = c.dc;
        for (auto [position, value] : c.coefficients) expected[kZigZagScan[position]] = static_cast<std::int16_t>(value);
        EXPECT_EQ(std::vector<std::int16_t>(block, block + 64), std::vector<std::int16_t>(expected, expected + 64));
    }
}

TEST(Coefficients, TruncatedBlockReturnsTheReaderFailure) {
    // No end of block before the data runs out.
    BitWriter w;
    w.bits("0100 0  0100 0");
    const auto weights = flat(16);
    TestReader t{w.data()};
    alignas(16) std::int16_t block[64] = {};
    std::uint32_t errors = 0;
    EXPECT_EQ(onWindow(t, [&](LocalBits& b) { return decodeIntraBlockB14(b, block, weights.data(), kZigZagScan, errors); }),
              hr::e_abort);
}

// The scaled-matrix cache: unscaled weights for scale 1, each kind scaled, and
// new matrices replacing what was scaled. Which entry a miss evicts is speed only.
StreamState streamWithMatrices(std::uint16_t base, std::uint32_t generation) {
    StreamState s;
    for (int i = 0; i < 64; ++i) {
        s.intra_quantiser_matrix[i] = static_cast<std::uint16_t>(base + i);
        s.non_intra_quantiser_matrix[i] = 16;
        s.chroma_intra_quantiser_matrix[i] = static_cast<std::uint16_t>(base + 2 * i);
        s.chroma_non_intra_quantiser_matrix[i] = 255;
    }
    s.matrix_generation = generation;
    return s;
}

TEST(ScaledMatrixCache, ScalesEachKindByTheQuantiserScale) {
    ScaledMatrixCache cache;
    cache.update(streamWithMatrices(8, 1));
    EXPECT_EQ(cache.get(MATRIX_INTRA_LUMA, 1)[10], 18);
    EXPECT_EQ(cache.get(MATRIX_INTRA_CHROMA, 7)[10], (8 + 20) * 7);
    // The largest product of the format still fits.
    EXPECT_EQ(cache.get(MATRIX_NON_INTRA_CHROMA, 112)[63], 255 * 112);
    EXPECT_EQ(cache.get(MATRIX_NON_INTRA_LUMA, 62)[0], 16 * 62);
}

TEST(ScaledMatrixCache, NewMatricesReplaceEveryScaledEntry) {
    ScaledMatrixCache cache;
    cache.update(streamWithMatrices(10, 1));
    EXPECT_EQ(cache.get(MATRIX_INTRA_LUMA, 4)[0], 40);
    cache.update(streamWithMatrices(20, 1));  // same generation: nothing changes
    EXPECT_EQ(cache.get(MATRIX_INTRA_LUMA, 4)[0], 40);
    cache.update(streamWithMatrices(20, 2));
    EXPECT_EQ(cache.get(MATRIX_INTRA_LUMA, 4)[0], 80);
    EXPECT_EQ(cache.get(MATRIX_INTRA_LUMA, 1)[0], 20);
}

}  // namespace
}  // namespace tl::test
