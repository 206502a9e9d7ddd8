// DC differences, AC codes with inverse quantisation, escapes, the first
// coefficient of non-intra blocks, mismatch control and the scaled matrices.
// The run-level form is decided by the DirectX VA corpus runs, which rebuild
// pictures from it.
#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "engine/macroblock/coefficients.h"
#include "engine/macroblock/dct_coefficient_tables.h"
#include "engine/macroblock/scaled_matrix_cache.h"
#include "tests/macroblock/on_window.h"

namespace tl::test {
namespace {

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
