// Whole pictures through the software decoding path, for what the corpus does not
// carry: malformed slices, vectors far outside the picture, field pictures
// predicting from their own frame, 4:4:4, slices that overrun their row.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <tuple>
#include <utility>

#include "engine/macroblock/parser_state.h"
#include "engine/macroblock/slice_header.h"
#include "engine/macroblock/software_decoding_path.h"
#include "tests/support/bit_writer.h"

namespace tl::test {
namespace {

constexpr int kGuard = 64;
constexpr std::uint8_t kGuardByte = 0xA5;

// A frame with guard bytes around each plane.
struct TestFrame {
    TestFrame(int w, int h, std::uint8_t fill, int chromaFormat = CHROMA_420)
        : width(w), height(h), chromaWidth(chromaFormat == CHROMA_444 ? w : w / 2),
          chromaHeight(chromaFormat == CHROMA_420 ? h / 2 : h) {
        const int sizes[3] = {w * h, chromaWidth * chromaHeight, chromaWidth * chromaHeight};
        for (int i = 0; i < 3; ++i) {
            memory[i].assign(static_cast<std::size_t>(sizes[i] + 2 * kGuard), kGuardByte);
            std::fill(memory[i].begin() + kGuard, memory[i].end() - kGuard, fill);
            picture.planes[i] = memory[i].data() + kGuard;
        }
        picture.lumaStride = w;
        picture.chromaStride = chromaWidth;
        picture.lumaSize = w * h;
        picture.chromaFormat = chromaFormat;
        picture.width = w;
        picture.height = h;
    }
    bool guardsIntact() const {
        for (const auto& m : memory)
            for (int i = 0; i < kGuard; ++i)
                if (m[i] != kGuardByte || m[m.size() - 1 - i] != kGuardByte) return false;
        return true;
    }
    std::uint8_t& luma(int x, int y) { return picture.planes[0][y * width + x]; }
    std::uint8_t& cb(int x, int y) { return picture.planes[1][y * chromaWidth + x]; }
    std::uint8_t& cr(int x, int y) { return picture.planes[2][y * chromaWidth + x]; }

    int width, height, chromaWidth, chromaHeight;
    std::vector<std::uint8_t> memory[3];
    Picture picture;
};

StreamState streamFor(int w, int h, int type, int structure = FRAME_PICTURE, int chromaFormat = CHROMA_420) {
    StreamState s;
    s.horizontal_size = w;
    s.vertical_size = h;
    s.chroma_format = chromaFormat;
    s.mb_width = w / 16;
    s.mb_height = h / 16;
    s.coded_width = w;
    s.coded_height = h;
    s.block_count = chromaFormat == CHROMA_444 ? 12 : chromaFormat == CHROMA_422 ? 8 : 6;
    s.picture_coding_type = type;
    s.picture_structure = structure;
    s.frame_pred_frame_dct = structure == FRAME_PICTURE;
    s.f_code[0][0] = s.f_code[0][1] = s.f_code[1][0] = s.f_code[1][1] = 1;
    for (int i = 0; i < 64; ++i) {
        s.intra_quantiser_matrix[i] = s.chroma_intra_quantiser_matrix[i] = 16;
        s.non_intra_quantiser_matrix[i] = s.chroma_non_intra_quantiser_matrix[i] = 16;
    }
    return s;
}

void sliceHeader(BitWriter& w, int row, int quantiserCode = 8) {
    w.startCode(static_cast<std::uint8_t>(row + 1));
    w.put(static_cast<std::uint32_t>(quantiserCode), 5);
    w.bits("0");
}

// An intra macroblock of an I picture whose blocks carry only a DC difference:
// `lumaDc` for block 0 (as size code and bits), 0 for the rest.
std::string intraDc(const char* increment, const char* lumaDc = "100") {
    return std::string(increment) + " 1 " + lumaDc + " 10  100 10  100 10  100 10  00 10  00 10";
}

// Slices as text: "@n" starts a slice on macroblock row n, the rest are bits.
std::vector<std::uint8_t> slices(const std::vector<std::string>& parts) {
    BitWriter w;
    for (const std::string& p : parts) {
        if (p[0] == '@') sliceHeader(w, p[1] - '0');
        else w.bits(p);
    }
    return w.finish();
}

// Decodes one picture on a fresh software path; `errors` receives its count.
HResult decode(const std::vector<std::uint8_t>& data, const StreamState& s, PictureTargets targets,
               std::uint32_t* errors = nullptr) {
    auto path = makeSoftwareDecodingPath();
    TestReader t{data};
    const HResult r = path->decodePicture(t.reader, s, targets);
    if (errors) *errors = path->errors();
    return r;
}

// 32x32 pictures: P pictures predict from a reference of 90s into a frame of 7s.
TEST(SliceDecode, MalformedAndOverrunningSlicesStayInsideThePicture) {
    // The picture type, its slices, the errors counted, and luma samples (x, y, value).
    for (auto [name, type, parts, expectedErrors, samples] : {
        // Increment, then an invalid intra type.
        std::tuple{"an invalid macroblock type skips to the next slice", int(PICTURE_I),
                   std::vector<std::string>{"@0", "1 00 1111", "@1", intraDc("1"), intraDc("1")}, 1u,
                   std::vector<std::array<int, 3>>{{0, 0, 7}, {20, 20, 128}}},
        // MC not coded with a zero vector copies the reference; then coded, no
        // MC, with an invalid coded_block_pattern.
        {"an invalid pattern keeps the macroblocks before it", PICTURE_P, {"@0", "1 001 1 1", "1 01 000000000"}, 1,
         {{5, 5, 90}, {20, 5, 7}}},
        // Address 1 ends row 0, address 2 continues on row 1; address 3 is the
        // last of the picture, so a fourth macroblock has nowhere to go.
        {"a slice running past its row stays inside the picture", PICTURE_I,
         {"@0", intraDc("011"), intraDc("1", "00 0"), "@1", intraDc("011", "101 100"), intraDc("1")}, 0,
         {{20, 4, 128}, {4, 20, 127}, {20, 20, 132}, {4, 4, 7}}},
        // Address 0 copies the reference; increment 4 reaches past the last.
        {"an increment past the last macroblock skips nothing", PICTURE_P, {"@0", "1 001 1 1", "0011 001 1 1"}, 0,
         {{4, 4, 90}, {20, 4, 7}, {4, 20, 7}, {20, 20, 7}}},
        {"a slice below the picture ends it", PICTURE_I, {"@5", intraDc("1")}, 0, {{0, 0, 7}}},
    }) {
        SCOPED_TRACE(name);
        TestFrame reference(32, 32, 90);
        TestFrame frame(32, 32, 7);
        std::uint32_t errors = 0;
        EXPECT_EQ(decode(slices(parts), streamFor(32, 32, type), {&frame.picture, &reference.picture}, &errors),
                  kPictureFinished);
        EXPECT_EQ(errors, expectedErrors);
        for (auto [x, y, luma] : samples) EXPECT_EQ(frame.luma(x, y), luma) << x << "," << y;
        EXPECT_TRUE(frame.guardsIntact());
    }
}

TEST(SliceDecode, TruncatedSliceDoesNotReconstructPastTheData) {
    TestFrame frame(32, 32, 7);
    BitWriter w;
    sliceHeader(w, 0);
    w.bits(intraDc("1")).bits("1 1 101 1");  // the second macroblock cut inside its first block, no end code
    TestReader t{w.data()};
    auto path = makeSoftwareDecodingPath();
    const HResult r = path->decodePicture(t.reader, streamFor(32, 32, PICTURE_I), {&frame.picture});
    EXPECT_TRUE(r == kPictureFinished || r == hr::e_abort);
    // The next read after the picture reports the end of the stream.
    EXPECT_EQ(t.reader.nextStartCode() == hr::ok ? t.reader.cache : 0u, 0x1B7u);
    EXPECT_TRUE(frame.guardsIntact());
}

TEST(SliceDecode, VectorsFarOutsideThePictureSkipThePrediction) {
    TestFrame reference(32, 32, 90);
    StreamState s = streamFor(32, 32, PICTURE_P);
    s.f_code[0][0] = s.f_code[0][1] = 9;  // vectors up to +-4096 half samples
    // The vector and the luma of the macroblock: motion_code +-16 with residual
    // 255, about +-2048 samples; then a small vector whose block sticks out by
    // one sample at the right edge; then one inside.
    for (auto [vector, expected] : {
             std::pair{"00000011000 11111111  00000011001 11111111", 7},
             {"00000011000 11111111  1", 7},
             {"1  00000011001 11111111", 7},
             {"010 00000000  1", 7},   // +1 half sample at x = 16: column 32 would be read
             {"011 00000000  1", 90},  // -1 half sample at x = 16: inside
         }) {
        SCOPED_TRACE(vector);
        TestFrame f(32, 32, 7);
        // Increment 2 (address 1), MC not coded, the vector.
        decode(slices({"@0", std::string("011 001") + vector}), s, {&f.picture, &reference.picture});
        EXPECT_EQ(f.luma(20, 8), expected);
        EXPECT_EQ(f.luma(4, 8), 7);
        EXPECT_TRUE(f.guardsIntact());
    }
}

// A frame whose top field is decoded and bottom field is not yet.
TestFrame firstFieldDone() {
    TestFrame f(32, 32, 0);
    for (int y = 0; y < 32; y += 2)
        for (int x = 0; x < 32; ++x) f.luma(x, y) = static_cast<std::uint8_t>(40 + y + x);
    for (int y = 0; y < 16; y += 2)
        for (int x = 0; x < 16; ++x) f.cb(x, y) = static_cast<std::uint8_t>(60 + y);
    return f;
}

TEST(SliceDecode, SecondFieldOfAPFramePredictsFromItsFirstField) {
    TestFrame reference(32, 32, 200);
    // Second field or not, motion_vertical_field_select, whether the prediction
    // comes from this frame.
    for (auto [secondField, select, fromCurrent] : {
             std::tuple{true, "0", true},    // opposite parity in the second field: this frame's top field
             {true, "1", false},   // same parity: the reference frame
             {false, "0", false},  // first field: always the reference frame
         }) {
        SCOPED_TRACE(testing::Message() << secondField << select);
        TestFrame frame = firstFieldDone();
        // Both macroblocks: MC not coded, field motion, the select, zero vector.
        const std::string macroblock = std::string("1 001 01") + select + "1 1";
        PictureTargets targets{&frame.picture, &reference.picture, nullptr, secondField};
        EXPECT_EQ(decode(slices({"@0", macroblock, macroblock}), streamFor(32, 32, PICTURE_P, BOTTOM_FIELD), targets),
                  kPictureFinished);
        for (int y = 1; y < 32; y += 2)
            for (int x = 0; x < 32; ++x)
                ASSERT_EQ(frame.luma(x, y), fromCurrent ? 40 + (y - 1) + x : 200) << x << "," << y;
        EXPECT_EQ(frame.cb(5, 3), fromCurrent ? 60 + 2 : 200);
        EXPECT_EQ(frame.luma(3, 2), 40 + 2 + 3);  // the top field is left alone
    }
}

TEST(SliceDecode, SixteenByEightPredictionInAFieldPicture) {
    TestFrame reference(16, 64, 0);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 16; ++x) reference.luma(x, y) = static_cast<std::uint8_t>(y);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 8; ++x) reference.cb(x, y) = static_cast<std::uint8_t>(2 * y);
    TestFrame frame(16, 64, 7);
    // MC not coded, 16x8; upper half from the bottom field with (0, 0), lower
    // half from the top field one field line down (0, +2 half samples).
    EXPECT_EQ(decode(slices({"@0", "1 001 10  1 1 1  0 1 0010"}), streamFor(16, 64, PICTURE_P, TOP_FIELD),
                     {&frame.picture, &reference.picture}),
              kPictureFinished);
    for (int k = 0; k < 16; ++k) ASSERT_EQ(frame.luma(5, 2 * k), k < 8 ? 2 * k + 1 : 2 * k + 2) << k;
    // Chroma: 4 lines per half; the lower half's vertical chroma vector is one
    // half sample, so it averages neighbouring top-field chroma lines.
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(frame.cb(3, 2 * j), 2 * (2 * j + 1)) << j;
        EXPECT_EQ(frame.cb(3, 2 * (4 + j)), (2 * 2 * (4 + j) + 2 * 2 * (5 + j) + 1) >> 1) << j;
    }
    EXPECT_EQ(frame.luma(5, 1), 7);  // the bottom field is not touched
}

TEST(SliceDecode, DualPrimeInAFieldPicture) {
    // Top field lines hold 2m, bottom field lines 101 + 2m (m = field line).
    TestFrame reference(16, 64, 0);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 16; ++x) reference.luma(x, y) = static_cast<std::uint8_t>(y & 1 ? 100 + y : y);
    TestFrame frame(16, 64, 7);
    // Dual prime, vector (0, 0), dmvector (0, 0).
    decode(slices({"@1", "1 001 11  1 0  1 0"}), streamFor(16, 64, PICTURE_P, TOP_FIELD),
           {&frame.picture, &reference.picture});
    // Same parity with (0, 0): 2m; opposite parity with the derived (0, -1):
    // the average of bottom lines m - 1 and m; then the average of both.
    for (int k = 0; k < 16; ++k) {
        const int m = 16 + k;
        const int same = 2 * m;
        const int opposite = (101 + 2 * (m - 1) + 101 + 2 * m + 1) >> 1;
        ASSERT_EQ(frame.luma(9, 2 * m), (same + opposite + 1) >> 1) << k;
    }
}

TEST(SliceDecode, SkippedMacroblocksInAPFieldUseTheSameParity) {
    TestFrame frame(48, 32, 7);
    TestFrame reference(48, 32, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x) reference.luma(x, y) = static_cast<std::uint8_t>(y & 1 ? 150 : 50);
    // Address 0: top field select (opposite parity), zero vector; increment 2
    // skips address 1 and codes address 2 like address 0.
    EXPECT_EQ(decode(slices({"@0", "1 001 01 0 1 1", "011 001 01 0 1 1"}), streamFor(48, 32, PICTURE_P, BOTTOM_FIELD),
                     {&frame.picture, &reference.picture}),
              kPictureFinished);
    EXPECT_EQ(frame.luma(4, 1), 50);    // macroblock 0: from the top field as selected
    EXPECT_EQ(frame.luma(20, 1), 150);  // skipped macroblock 1: bottom field, zero vector
    EXPECT_EQ(frame.luma(36, 1), 50);   // macroblock 2
    EXPECT_EQ(frame.luma(4, 0), 7);     // the top field is not touched
    EXPECT_TRUE(frame.guardsIntact());
}

TEST(SliceDecode, IntraChromaBlocksOfEachFormat) {
    for (int format : {CHROMA_420, CHROMA_422, CHROMA_444}) {
        SCOPED_TRACE(format);
        TestFrame frame(32, 16, 7, format);
        const int chromaBlocks = format == CHROMA_444 ? 8 : format == CHROMA_422 ? 4 : 2;
        // Address 1, intra, luma DC 0; then the first Cb block +2, the first Cr
        // block -1, the rest 0: predictors carry within each component.
        std::string macroblock = "011 1  100 10  100 10  100 10  100 10";
        for (int b = 0; b < chromaBlocks; ++b) macroblock += b == 0 ? "10 10 10" : b == 1 ? "01 0 10" : "00 10";
        std::uint32_t errors = 1;
        decode(slices({"@0", macroblock}), streamFor(32, 16, PICTURE_I, FRAME_PICTURE, format), {&frame.picture},
               &errors);
        EXPECT_EQ(errors, 0u);
        const int x0 = frame.chromaWidth / 2;
        for (int y = 0; y < frame.chromaHeight; ++y)
            for (int x = 0; x < frame.chromaWidth; ++x) {
                ASSERT_EQ(frame.cb(x, y), x < x0 ? 7 : 130) << x << "," << y;
                ASSERT_EQ(frame.cr(x, y), x < x0 ? 7 : 127) << x << "," << y;
            }
        EXPECT_TRUE(frame.guardsIntact());
    }
}

TEST(SliceDecode, ChromaVectorsAreScaledPerFormatWithTruncation) {
    // Vector (-3, 2) half samples for the macroblock at (16, 16): chroma takes
    // -3 / 2 = -1 (not -2) horizontally in 4:2:0 and 4:2:2, and 2 / 2 = 1
    // vertically in 4:2:0; 4:4:4 uses the luma vector. The chroma vector is in
    // chroma half samples.
    for (auto [format, mvx, mvy] : {std::tuple{CHROMA_420, -1, 1}, {CHROMA_422, -1, 2}, {CHROMA_444, -3, 2}}) {
        SCOPED_TRACE(format);
        TestFrame reference(48, 48, 0, format);
        auto value = [](int x, int y) { return static_cast<std::uint8_t>((7 * x + 13 * y) & 255); };
        for (int y = 0; y < reference.chromaHeight; ++y)
            for (int x = 0; x < reference.chromaWidth; ++x) reference.cb(x, y) = value(x, y);
        TestFrame frame(48, 48, 0, format);
        // Address 4, MC not coded, vector (-3, 2).
        decode(slices({"@1", "011 001 00011 0010"}), streamFor(48, 48, PICTURE_P, FRAME_PICTURE, format),
               {&frame.picture, &reference.picture});
        const int cx = format == CHROMA_444 ? 16 : 8;
        const int cy = format == CHROMA_420 ? 8 : 16;
        const int sx = cx + (mvx >> 1);
        const int sy = cy + (mvy >> 1);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                int sum = 0;
                for (int dy = 0; dy <= (mvy & 1); ++dy)
                    for (int dx = 0; dx <= (mvx & 1); ++dx) sum += value(sx + x + dx, sy + y + dy);
                const int n = (1 + (mvx & 1)) * (1 + (mvy & 1));
                ASSERT_EQ(frame.cb(cx + x, cy + y), (sum + n / 2) / n) << x << "," << y;
            }
    }
}

TEST(SliceHeader, VerticalPositionExtensionAndExtraInformation) {
    // Vertical size, slice row, the bits after the start code, then the
    // macroblock address and quantiser scale expected.
    for (auto [name, verticalSize, row, bits, address, scale] : {
             // Slice row 2 with quantiser_scale_code 3, then the address increment.
             std::tuple{"2800 lines: no extension", 2800, 2, "00011 0 1", 1, 6},
             {"2801 lines: row 2 + (1 << 7)", 2801, 2, "001 00011 0 1", 129, 6},
             // quantiser_scale_code, intra_slice_flag, intra_slice + reserved, two
             // extra information bytes, then the increment.
             {"extra information bytes are skipped", 16, 1, "00100 1 1 0000000 1 10101010 1 11111111 0 011", 1, 8},
         }) {
        SCOPED_TRACE(name);
        StreamState s = streamFor(16, 16, PICTURE_I);  // one macroblock a row
        s.vertical_size = verticalSize;
        s.mb_height = 200;
        BitWriter w;
        w.startCode(static_cast<std::uint8_t>(row));
        w.bits(bits);
        TestReader t{w.finish()};
        ParserState state;
        std::int32_t got = -1;
        ASSERT_EQ(parseSliceHeader(t.reader, makePictureParams(s), state, got), hr::ok);
        EXPECT_EQ(std::make_pair(got, state.quantiser_scale), std::make_pair(address, scale));
    }
}

}  // namespace
}  // namespace tl::test
