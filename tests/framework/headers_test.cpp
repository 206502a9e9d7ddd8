#include "engine/framework/headers.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "engine/framework/quant_tables.h"
#include "tests/framework/stream_writer.h"
#include "tests/support/bit_writer.h"

namespace tl {
namespace {

using test::BitWriter;

// Parses a whole header sequence the way the header loop meets it.
struct Parsed {
    StreamState s;
    HResult result = hr::ok;
    ReferenceTime sampleTime = kNoTime, pendingTime = kNoTime;
    bool secondField = false;
    Parsed() { ResetStreamState(s); }
};

HResult parseInto(Parsed& p, const std::vector<std::uint8_t>& bytes, std::size_t chunk = 4096) {
    test::TestReader t(bytes, chunk);
    HeaderLoopLinks links{&p.sampleTime, &p.pendingTime, &p.secondField};
    HResult r;
    while ((r = ParseHeaders(t.reader, p.s, links)) == hr::ok) t.reader.skipBits(32);  // past the slice code
    p.result = r;
    return r;
}

Parsed parse(const std::vector<std::uint8_t>& bytes) {
    Parsed p;
    parseInto(p, bytes);
    return p;
}

// What was written, ended with a sequence end code.
std::vector<std::uint8_t> ended(BitWriter w) {
    test::writeSequenceEnd(w);
    return w.data();
}

Parsed parse(const BitWriter& w) { return parse(ended(w)); }

BitWriter sequence(const test::SequenceFields& seq, const test::SequenceExtensionFields& ext) {
    BitWriter w;
    test::writeSequenceHeader(w, seq);
    test::writeSequenceExtension(w, ext);
    return w;
}

TEST(SequenceHeader, FrameRateValueAndPeriod) {
    // frame_rate_code, frame_rate_extension_n and _d; frame_rate_value, frame_period
    const std::tuple<int, int, int, std::uint32_t, ReferenceTime> cases[] = {
        {0, 0, 0, 0, 0},           {1, 0, 0, 24000, 417083},  {2, 0, 0, 24024, 416666},
        {3, 0, 0, 25025, 400000},  {4, 0, 0, 30000, 333666},  {5, 0, 0, 30030, 333333},
        {6, 0, 0, 50050, 200000},  {7, 0, 0, 60000, 166833},  {8, 0, 0, 60060, 166666},
        {9, 0, 0, 1001, 10000000}, {10, 0, 0, 5005, 2000000}, {11, 0, 0, 10010, 1000000},
        {12, 0, 0, 12012, 833333}, {13, 0, 0, 15015, 666666}, {14, 0, 0, 0xFFFFFFFEu, 2},
        {15, 0, 0, 0, 0},          {4, 1, 0, 60000, 166833},  {3, 0, 1, 12512, 800031},
        {14, 3, 0, 0xFFFFFFF8u, 2},
    };
    for (const auto& [code, n, d, value, period] : cases) {
        const test::SequenceExtensionFields ext{0x48, true, 1, 0, 0, 0, 0, false, n, d};
        const StreamState s = parse(sequence({720, 576, 2, code}, ext)).s;
        EXPECT_EQ(std::make_pair(s.frame_rate_value, s.frame_period), std::make_pair(value, period))
            << code << " " << n << "/" << d;
    }
}

TEST(SequenceHeader, DerivedSizes) {
    // size, size extensions, progressive_sequence, chroma_format; then horizontal_size, vertical_size, mb_width,
    // mb_height, chroma_width, chroma_height and block_count
    const std::tuple<int, int, int, int, bool, int, std::array<int, 7>> cases[] = {
        {352, 1090, 0, 0, true, 1, {352, 1090, 22, 69, 176, 552, 6}},
        {352, 1090, 0, 0, false, 1, {352, 1090, 22, 70, 176, 560, 6}},  // interlaced: rows in pairs
        {720, 480, 0, 0, false, 2, {720, 480, 45, 30, 360, 480, 8}},
        {720, 480, 0, 0, true, 3, {720, 480, 45, 30, 720, 480, 12}},
        {17, 17, 0, 0, true, 1, {17, 17, 2, 2, 16, 16, 6}},
        {4095, 4095, 3, 3, true, 1, {8192, 4096, 512, 256, 4096, 2048, 6}},
        {0, 0, 1, 0, true, 1, {4096, 0, 256, 0, 2048, 0, 6}},
    };
    for (const auto& [width, height, horizontalExtension, verticalExtension, progressive, chroma, expected] : cases) {
        // Square samples: the display aspect is the size, extension bits included.
        const test::SequenceFields seq{width, height, 1};
        const test::SequenceExtensionFields ext{0x48, progressive, chroma, horizontalExtension, verticalExtension};
        const StreamState s = parse(sequence(seq, ext)).s;
        const std::array<int, 7> got = {s.horizontal_size, s.vertical_size, s.mb_width,    s.mb_height,
                                        s.chroma_width,    s.chroma_height, s.block_count};
        EXPECT_EQ(got, expected) << width << "x" << height << " chroma " << chroma;
        EXPECT_EQ(std::make_pair(s.coded_width, s.coded_height), std::make_pair(16 * s.mb_width, 16 * s.mb_height));
        if (s.vertical_size > 0) {
            EXPECT_EQ(std::make_pair(s.aspect_x, s.aspect_y), std::make_pair(s.horizontal_size, s.vertical_size));
        }
    }
}

TEST(SequenceExtension, ProfileAndLevel) {
    const std::array<int, 3> cases[] = {{0x48, 4, 8}, {0x14, 1, 4}, {0x5A, 5, 10}, {0x85, 5, 8}, {0x8A, 4, 8}};
    for (const auto& [indication, profile, level] : cases) {
        Parsed p;
        p.s.profile = 4;  // an escape other than 0x85 keeps what was there
        p.s.level = 8;
        parseInto(p, ended(sequence({}, {indication})));
        EXPECT_EQ(std::make_pair(p.s.profile, p.s.level), std::make_pair(profile, level)) << std::hex << indication;
    }
}

// A repeated sequence extension with a large bit_rate_extension once added its
// high bits twice, overflowing the 32-bit bit rate.
TEST(SequenceExtension, RepeatedExtensionSetsTheBitRateOnce) {
    const test::SequenceExtensionFields ext{0x48, true, 1, 0, 0, 0xFFF};  // bit_rate_extension
    BitWriter w = sequence({720, 576, 2, 3, 20000}, ext);
    test::writeSequenceExtension(w, ext);
    EXPECT_EQ(parse(w).s.bit_rate, std::int32_t(20000 | 0xFFFu << 18));
}

TEST(SequenceHeader, AspectRatioWindows) {
    // aspect_ratio_information, size, display size; the aspect ratio
    const std::array<int, 7> cases[] = {
        {4, 720, 576, 0, 0, 221, 100},
        {0, 640, 480, 0, 0, 640, 480},
        {1, 720, 576, 540, 576, 1000, 600},
        {3, 720, 576, 540, 576, 16, 9},        // 16:9 ignores the display size
        {2, 720, 576, 704, 576, 4, 3},         // r = 0.767
        {2, 720, 576, 540, 576, 16, 9},       // r = 0.75 * 0.75 = 0.5625
        {2, 720, 576, 720, 720, 1000, 600},    // r = 0.6
        {1, 640, 360, 640, 270, 4, 3},         // r = 0.5625 * 1.333 = 0.75
        {1, 640, 360, 640, 480, 1000, 421},    // r = 0.421875
        {1, 1280, 720, 1280, 720, 16, 9},
        {1, 884, 400, 884, 400, 221, 100},
        {2, 720, 576, 720, 0, 4, 3},           // one display size missing: not applied
    };
    for (const auto& [aspect, width, height, displayWidth, displayHeight, x, y] : cases) {
        BitWriter w = sequence({width, height, aspect}, {});
        test::writeSequenceDisplayExtension(w, {5, false, 1, 1, 1, displayWidth, displayHeight});
        const StreamState s = parse(w).s;
        EXPECT_EQ(std::make_pair(s.aspect_x, s.aspect_y), std::make_pair(x, y))
            << aspect << " " << displayWidth << "x" << displayHeight;
    }
}

TEST(SequenceHeader, DisplaySizeForgottenOnlyWhenTheSizeChanges) {
    const test::DisplayExtensionFields d{5, false, 1, 1, 1, 540, 576};
    for (auto [secondWidth, kept] : {std::pair{720, true}, {704, false}}) {
        BitWriter w = sequence({}, {});
        test::writeSequenceDisplayExtension(w, d);
        test::writeSequenceHeader(w, {secondWidth});
        const StreamState s = parse(w).s;
        EXPECT_EQ(std::make_pair(s.display_horizontal_size, s.display_vertical_size),
                  kept ? std::make_pair(540, 576) : std::make_pair(0, 0)) << secondWidth;
    }
}

TEST(SequenceDisplayExtension, ColourDescriptionAndItsReset) {
    BitWriter w = sequence({}, {});
    test::DisplayExtensionFields d{5, true, 5, 6, 7};  // colour primaries, transfer, matrix
    test::writeSequenceDisplayExtension(w, d);
    const auto colour = [](const StreamState& s) {
        return std::make_tuple(s.colour_primaries, s.transfer_characteristics, s.matrix_coefficients);
    };
    EXPECT_EQ(colour(parse(w).s), std::make_tuple(5, 6, 7));
    d.colourDescription = false;  // a later one without description resets to 1
    test::writeSequenceDisplayExtension(w, d);
    EXPECT_EQ(colour(parse(w).s), std::make_tuple(1, 1, 1));
}

// The luma matrices of an extension serve chroma too unless their own follow; a
// plain sequence header brings back the defaults everywhere.
TEST(QuantiserMatrices, ExtensionLoadsAndSequenceHeaderRestoresDefaults) {
    BitWriter w = sequence({}, {});
    test::writeQuantMatrixExtension(w, {40, -1, -1, -1});
    const StreamState l = parse(w).s;
    EXPECT_EQ(std::make_tuple(l.intra_quantiser_matrix[9], l.chroma_intra_quantiser_matrix[9],
                              l.non_intra_quantiser_matrix[9]), std::make_tuple(40, 40, 16));

    test::writeQuantMatrixExtension(w, {200, 201, 202, 203});
    const StreamState e = parse(w).s;
    EXPECT_EQ(std::make_tuple(e.intra_quantiser_matrix[5], e.non_intra_quantiser_matrix[5],
                              e.chroma_intra_quantiser_matrix[5], e.chroma_non_intra_quantiser_matrix[5]),
              std::make_tuple(200, 201, 202, 203));

    test::writeSequenceHeader(w, {});
    const StreamState r = parse(w).s;
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(std::make_tuple(r.intra_quantiser_matrix[i], r.chroma_intra_quantiser_matrix[i],
                                  r.non_intra_quantiser_matrix[i], r.chroma_non_intra_quantiser_matrix[i]),
                  std::make_tuple(default_intra_quantiser_matrix[i], default_intra_quantiser_matrix[i], 16, 16))
            << i;
    }
}

// Each load moves the generation the dequantiser's caches follow.
TEST(QuantiserMatrices, GenerationMovesWheneverMatricesAreSet) {
    Parsed p;
    std::uint32_t generation = p.s.matrix_generation;
    ResetStreamState(p.s);
    EXPECT_NE(p.s.matrix_generation, generation);
    BitWriter header, extension;
    test::writeSequenceHeader(header, {});
    test::writeQuantMatrixExtension(extension, {-1, -1, -1, -1});
    for (const BitWriter* w : {&header, &extension}) {
        generation = p.s.matrix_generation;
        parseInto(p, ended(*w));
        EXPECT_NE(p.s.matrix_generation, generation);
    }
}

TEST(Extensions, UnknownIdentifiersCountAsErrorsAndScalableOnesAreSkipped) {
    BitWriter w = sequence({}, {});
    for (int id : {0, 6, 11, 15}) {
        w.startCode(0xB5);
        w.put({{std::uint32_t(id), 4}, {0xFFFFFF, 24}});
    }
    w.startCode(0xB5);  // sequence scalable extension
    w.put({{5, 4}, {2, 2}});
    w.startCode(0xB5);  // copyright extension: ignored
    w.put({{4, 4}, {0xFFFFFFFF, 32}});
    const Parsed p = parse(w);
    EXPECT_EQ(std::make_tuple(p.s.unknown_extensions, p.s.scalable_mode, p.result),
              std::make_tuple(4u, 3, hr::e_abort));
}

// A group of pictures after a lone first field: the next picture starts a new frame.
TEST(GroupOfPictures, ForgetsAnUnpairedFirstField) {
    BitWriter w;
    test::writeGroupOfPictures(w, {});
    Parsed p;
    p.secondField = true;
    parseInto(p, ended(w));
    EXPECT_FALSE(p.secondField);
}

TEST(PictureHeaders, PictureDisplayExtensionOffsetCount) {
    // progressive_sequence, picture_structure, repeat_first_field, top_field_first; the offsets
    const std::tuple<bool, int, bool, bool, int> cases[] = {
        {true, 3, false, false, 1}, {true, 3, true, false, 2}, {true, 3, true, true, 3},
        {false, 1, false, false, 1}, {false, 2, true, true, 1}, {false, 3, true, false, 3},
        {false, 3, false, true, 2},
    };
    for (const auto& [progressiveSequence, structure, repeat, topFirst, offsets] : cases) {
        Parsed p;
        p.s.progressive_sequence = progressiveSequence;
        BitWriter w;
        test::writePicture(w, 1, {structure, topFirst, repeat});
        w.startCode(0xB5);  // picture display extension
        w.put(7, 4);
        for (int i = 0; i < offsets; ++i) w.put({{0x8000 + i, 16}, {1, 1}, {0xFFF0 - i, 16}, {1, 1}});
        test::writeSlice(w, 1);
        parseInto(p, ended(w));
        ASSERT_EQ(p.s.number_of_frame_centre_offsets, offsets);
        for (int i = 0; i < offsets; ++i) {
            EXPECT_EQ(std::make_pair(p.s.frame_centre_horizontal_offset[i], p.s.frame_centre_vertical_offset[i]),
                      std::make_pair(0x8000 + i, 0xFFF0 - i));
        }
    }
}

// The loop passes a slice before any picture, user data and the later slices
// of a picture, and stops at the first slice of each picture; the sample's
// time goes to its first picture only.
TEST(HeaderLoop, StopsAtTheFirstSliceOfEachPictureAndTimesTheFirst) {
    BitWriter w;
    test::writeSlice(w, 5);
    test::writeSequenceHeader(w, {});
    test::writeSequenceExtension(w, {});
    test::writePicture(w, 1, {});
    w.startCode(0xB2);
    w.bytes({1, 2, 3});
    test::writeSlice(w, 1);
    test::writeSlice(w, 2);
    test::writePicture(w, 2, {});
    test::writeSlice(w, 1);
    test::TestReader t(w.data(), 7);
    Parsed p;
    p.sampleTime = 400000;
    const HeaderLoopLinks links{&p.sampleTime, &p.pendingTime, &p.secondField};
    const auto stop = [&] {
        EXPECT_EQ(ParseHeaders(t.reader, p.s, links), hr::ok);
        return std::make_tuple(t.reader.cache, p.s.picture_coding_type, p.pendingTime, p.sampleTime);
    };
    EXPECT_EQ(stop(), std::make_tuple(0x00000101u, 1, ReferenceTime(400000), kNoTime));
    t.reader.skipBits(32);
    EXPECT_EQ(stop(), std::make_tuple(0x00000101u, 2, kNoTime, kNoTime));
}

TEST(HeaderLoop, EndOfInputInsideAHeaderKeepsWhatWasParsed) {
    std::vector<std::uint8_t> bytes = sequence({}, {}).data();
    bytes.resize(bytes.size() - 5);  // cut the sequence extension short
    const Parsed p = parse(bytes);
    EXPECT_EQ(std::make_tuple(p.result, p.s.horizontal_size, p.s.chroma_format),
              std::make_tuple(hr::e_abort, 720, CHROMA_UNKNOWN));
}

}  // namespace
}  // namespace tl
