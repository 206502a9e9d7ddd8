// Damaged streams decode to the end without crashing, give every input and
// output sample back, and recover: the pictures the damage cannot reach (the
// groups before it, and those from the next self-contained group after it)
// match the committed reference digests.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "engine/framework/headers.h"
#include "engine/framework/video_decoder.h"
#include "tests/framework/stream_writer.h"
#include "tests/robustness/intact_pictures.h"
#include "tests/support/corpus.h"
#include "tests/support/decode_samples.h"
#include "tests/support/decoder_inputs.h"
#include "tests/support/pes_writer.h"
#include "tests/support/recording_host.h"

namespace tl::test {
namespace {

constexpr std::size_t kChunk = 4096;

struct Reference {
    Bytes stream;
    std::vector<std::string> digests;
};

Reference loadReference(const std::string& name) {
    const StreamInfo info = find_stream(name);
    return {read_file_bytes(info.streamPath()), read_md5_lines(info.md5Path())};
}

// Checks one damaged decode against what the damage at [first, last] of the
// clean elementary stream leaves intact.
void expectRecovered(const DecodeResult& got, const Reference& ref, const Bytes& cleanStream, std::size_t first,
                     std::size_t last) {
    EXPECT_EQ(got.referencesLeft, 0) << "input sample references kept";
    EXPECT_EQ(got.outputSamplesLeft, 0) << "output samples kept";
    const IntactPictures intact = intactAround(cleanStream, first, last);
    ASSERT_LE(intact.intactPrefix, got.digests.size()) << "pictures before the damage lost";
    for (std::size_t i = 0; i < intact.intactPrefix; ++i)
        ASSERT_EQ(got.digests[i], ref.digests[i]) << "picture " << i << " before the damage differs";
    ASSERT_LE(intact.intactTail, got.digests.size()) << "pictures after the resynchronisation point lost";
    for (std::size_t k = 1; k <= intact.intactTail; ++k)
        ASSERT_EQ(got.digests[got.digests.size() - k], ref.digests[ref.digests.size() - k])
            << "picture " << ref.digests.size() - k << " after the resynchronisation point differs";
}

// Offsets inside the stream's structure where a cut hurts most: the start code
// itself, the first header bytes, the middle of the unit. Every header unit of
// the first sequence, and every seventh slice there.
std::vector<std::size_t> structuralPoints(const Bytes& stream) {
    const std::vector<StartCode> codes = findStartCodes(stream);
    std::vector<std::size_t> points;
    int sequences = 0, slices = 0;
    for (std::size_t i = 0; i + 1 < codes.size(); ++i) {
        const StartCode& c = codes[i];
        if (c.code == 0xB3 && ++sequences > 1) break;
        const bool slice = c.code >= 0x01 && c.code <= 0xAF;
        if (slice && slices++ % 7 != 0) continue;
        const std::size_t next = codes[i + 1].offset;
        points.push_back(c.offset + 2);
        points.push_back(c.offset + 5);
        points.push_back(c.offset + (next - c.offset) / 2);
    }
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    return points;
}

std::size_t nextStartCodeAfter(const Bytes& stream, std::size_t at) {
    for (const StartCode& c : findStartCodes(stream))
        if (c.offset >= at) return c.offset;
    return stream.size();
}

class CorruptStream : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { ref_ = loadReference(GetParam()); }
    Reference ref_;
};

// The stream ends inside a start code, a header or a slice (the pictures of the
// groups before are all shown), or the rest of that unit is lost and the stream
// goes on at the next start code.
TEST_P(CorruptStream, CutAtEveryStructuralPointRecovers) {
    for (std::size_t point : structuralPoints(ref_.stream)) {
        for (bool resumes : {false, true}) {
            SCOPED_TRACE((resumes ? "unit cut short at byte " : "cut at byte ") + std::to_string(point));
            const std::size_t resume = resumes ? nextStartCodeAfter(ref_.stream, point) : ref_.stream.size();
            const Bytes damaged = cat({cut(ref_.stream, 0, point), cut(ref_.stream, resume, ref_.stream.size())});
            expectRecovered(decodeSamples(cutIntoChunks(damaged, kChunk)), ref_, ref_.stream, point, resume);
            if (HasFatalFailure()) return;
        }
    }
}

// Random bytes that cannot form a start code prefix, not even with zero bytes
// before them (no 0x00 or 0x01), or random bytes with slice and extension start
// codes planted among them.
Bytes garbage(std::uint32_t seed, std::size_t n, bool withStartCodes) {
    std::mt19937 rng(seed);
    const auto byte = [&rng] { return std::uint8_t(rng()); };
    Bytes out;
    while (out.size() < n) {
        const std::uint8_t b = byte();
        if (withStartCodes && (b & 0x3F) == 0) {
            // Slices of the top rows, which every stream here has.
            const std::uint8_t code = (b & 0x40) ? std::uint8_t(1 + byte() % 16) : 0xB5;
            out.insert(out.end(), {0x00, 0x00, 0x01, code});
        } else if (withStartCodes || b > 1) {
            out.push_back(b);
        }
    }
    return out;
}

// Bytes that belong to nothing sit in front of a picture. Without start codes
// they follow the last slice of the picture before, whose last row is complete:
// nothing reads them and every picture is exact. With start codes among them
// they make slices and extensions of garbage: the picture before takes the
// damage, later ones recover.
TEST_P(CorruptStream, GarbageBetweenPicturesRecovers) {
    const std::vector<std::size_t> pictures = offsetsOf(ref_.stream, 0x00);
    for (std::size_t k = 0; k < std::min<std::size_t>(6, pictures.size()); ++k) {
        const std::size_t at = pictures[k];
        for (bool withStartCodes : {false, true}) {
            SCOPED_TRACE("garbage before the picture at byte " + std::to_string(at) +
                         (withStartCodes ? " with start codes" : ""));
            const Bytes junk = garbage(std::uint32_t(at), 64 + at % 300, withStartCodes);
            const Bytes damaged = cat({cut(ref_.stream, 0, at), junk, cut(ref_.stream, at, SIZE_MAX)});
            const DecodeResult got = decodeSamples(cutIntoChunks(damaged, kChunk));
            if (!withStartCodes) {
                EXPECT_EQ(std::tie(got.digests, got.info.errors, got.referencesLeft), std::make_tuple(ref_.digests, 0u, 0));
                continue;
            }
            expectRecovered(got, ref_, ref_.stream, k ? pictures[k - 1] : 0, at);
            if (HasFatalFailure()) return;
        }
    }
}

// A second slice of the first row inside the intra picture, before its second
// row, whose first macroblock has the invalid type code '00': one error, and
// since nothing of that slice is reconstructed, every picture stays exact.
TEST_P(CorruptStream, InvalidSliceIsCountedAndChangesNothing) {
    const std::size_t secondRow = offsetsOf(ref_.stream, 0x02).at(0);
    // quantiser_scale_code 2, extra_bit_slice 0, address increment 1, type '00'.
    const Bytes invalidSlice = {0x00, 0x00, 0x01, 0x01, 0x12, 0x3F};
    const Bytes damaged = cat({cut(ref_.stream, 0, secondRow), invalidSlice, cut(ref_.stream, secondRow, SIZE_MAX)});
    const DecodeResult got = decodeSamples(cutIntoChunks(damaged, kChunk));
    EXPECT_EQ(std::tie(got.digests, got.info.errors, got.referencesLeft), std::make_tuple(ref_.digests, 1u, 0));
}

// Bits flipped anywhere in the first two sequences: headers, slices, start codes.
TEST_P(CorruptStream, BitFlipsRecover) {
    const std::vector<std::size_t> sequences = offsetsOf(ref_.stream, 0xB3);
    const std::size_t window = sequences.size() > 2 ? sequences[2] : ref_.stream.size();
    std::mt19937 draw(7);
    for (int round = 0; round < 16; ++round) {
        Bytes damaged = ref_.stream;
        const std::size_t centre = draw() % window;
        std::size_t first = damaged.size(), last = 0;
        const int flips = 1 + round % 6;
        for (int k = 0; k < flips; ++k) {
            const std::size_t at = std::min(damaged.size() - 1, centre + draw() % 64);
            damaged[at] ^= std::uint8_t(1u << (draw() & 7));
            first = std::min(first, at);
            last = std::max(last, at);
        }
        SCOPED_TRACE("bits flipped between bytes " + std::to_string(first) + " and " + std::to_string(last));
        const DecodeResult got = decodeSamples(cutIntoChunks(damaged, 1 + centre % kChunk));
        expectRecovered(got, ref_, ref_.stream, first, last);
        if (HasFatalFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorruptStream,
                         ::testing::Values("prog420_cgop", "intl_tff_ogop", "chroma422", "size331x249"),
                         [](const ::testing::TestParamInfo<std::string>& p) { return p.param; });

// The third macroblock row of a picture never arrives. In the first picture a
// fresh buffer shows it black (luma 16, chroma 128), not the green of zero
// bytes; with concealment the first P picture shows there what its reference,
// the first picture, shows.
TEST(CorruptStream, UnreachedRowsAreBlackOrConcealedFromTheReference) {
    const Bytes stream = loadReference("prog420_cgop").stream;
    const std::vector<std::size_t> rows = offsetsOf(stream, 0x03);  // vertical position 3: macroblock row 2
    constexpr std::size_t kWidth = 352, kLuma = kWidth * 288, kChroma = kLuma / 4;
    // The row of a planar picture: its luma rows 32..47 and chroma rows 16..23.
    const auto rowOf = [&](const Bytes& planes) {
        Bytes row(planes.begin() + 32 * kWidth, planes.begin() + 48 * kWidth);
        for (std::size_t plane = 0; plane < 2; ++plane) {
            const auto from = planes.begin() + std::ptrdiff_t(kLuma + plane * kChroma + 16 * kWidth / 2);
            row.insert(row.end(), from, from + 8 * kWidth / 2);
        }
        return row;
    };
    Bytes black(16 * kWidth, 16);
    black.resize(black.size() + 8 * kWidth, 128);
    // The picture in coding order (0 the I picture, 1 the first P picture), concealment, where the picture is
    // delivered, and whether its row shows what the reference shows (else black).
    const std::tuple<std::size_t, bool, std::size_t, bool> cases[] = {
        {0, false, 0, false}, {0, true, 0, false}, {1, false, 3, false}, {1, true, 3, true}};
    for (const auto& [picture, conceal, displayed, likeReference] : cases) {
        SCOPED_TRACE(testing::Message() << "picture " << picture << (conceal ? ", concealed" : ""));
        const std::size_t slice = rows[picture];
        const Bytes damaged =
            cat({cut(stream, 0, slice), cut(stream, nextStartCodeAfter(stream, slice + 4), stream.size())});
        const DecodeResult got = decodeSamples(cutIntoChunks(damaged, kChunk), true, conceal);
        ASSERT_GT(got.pictures.size(), displayed);
        ASSERT_GE(got.pictures[displayed].bytes.size(), kLuma + 2 * kChroma);
        EXPECT_EQ(rowOf(got.pictures[displayed].bytes), likeReference ? rowOf(got.pictures[0].bytes) : black);
    }
}

// A program stream whose video PES packets are cut inside their headers: the
// cut packet is dropped whole, and decoding goes on behind the hole.
TEST(CorruptProgramStream, PesHeadersCutShortRecover) {
    const Reference ref = loadReference("program");
    const std::vector<Bytes> packets = videoPesPackets(ref.stream);
    ASSERT_GT(packets.size(), 20u);
    const Bytes es = payloadOf(packets);
    std::size_t esOffset = 0;
    for (std::size_t k = 0; k < 16; ++k) {
        const Bytes& packet = packets[k];
        const std::size_t payloadLength = payloadOf({packet}).size();
        const std::size_t headerLength = 9 + packet[8];
        for (std::size_t keep = 1; keep <= headerLength + 1; keep += 2) {
            SCOPED_TRACE("packet " + std::to_string(k) + " cut to " + std::to_string(keep) + " bytes");
            std::vector<Bytes> damaged = packets;
            damaged[k] = cut(packet, 0, keep);
            const DecodeResult got = decodeSamples(damaged);
            expectRecovered(got, ref, es, esOffset, esOffset + payloadLength);
            if (HasFatalFailure()) return;
        }
        esOffset += payloadLength;
    }
}

// Damage that once left the decoder in a state it could not handle.

// A run that ends inside the intra matrix of a sequence header announcing a
// larger picture must not leave that size behind without its coded sizes: the
// next run would take pictures of the new size from buffers of the old one,
// and a renderer that kept the larger connection would be handed rows read
// past the end of the picture planes.
TEST(Regressions, SequenceHeaderCutInsideItsMatrixKeepsTheOldSize) {
    const Bytes stream = loadReference("prog420_cgop").stream;
    const std::vector<std::size_t> sequences = offsetsOf(stream, 0xB3);
    const std::vector<std::size_t> groups = offsetsOf(stream, 0xB8);
    ASSERT_GE(sequences.size(), 3u);
    ASSERT_GE(groups.size(), 3u);

    BitWriter w;
    SequenceFields larger{720, 576};
    const std::vector<std::uint8_t> matrix(64, 16);
    larger.intraMatrix = matrix.data();
    writeSequenceHeader(w, larger);
    const Bytes cutHeader = cut(w.data(), 0, 12 + 10);  // start code, fields, ten matrix bytes

    ReferenceCounter counter;
    TestSettings settings(2);
    RecordingHost host;
    host.format = {OutputSubtype::Planar, true, 720, 576};
    host.refuseFormatChange = true;
    {
        VideoDecoder decoder;
        ASSERT_EQ(decoder.Init(&settings, &host), hr::ok);
        ASSERT_TRUE(feedSamples(decoder, cutIntoChunks(cut(stream, 0, sequences[1]), 4096), &counter));
        ASSERT_TRUE(feedSamples(decoder, cutIntoChunks(cutHeader, 4096), &counter));
        // The run ends inside the matrix. (Waiting for it matters: a later
        // EndOfStream could otherwise return at the end of this run.)
        ASSERT_EQ(decoder.EndOfStream(), hr::ok);
        // The second group of pictures without its sequence header.
        ASSERT_TRUE(feedSamples(decoder, cutIntoChunks(cut(stream, groups[1], sequences[2]), 4096), &counter));
        ASSERT_EQ(decoder.EndOfStream(), hr::ok);
        const tl::StreamInfo after = decoder.streamInfo();
        EXPECT_EQ(std::make_tuple(after.sizeX, after.sizeY, after.codedSizeX), std::make_tuple(352, 288, 352));
        decoder.Uninit();
    }
    EXPECT_EQ(std::make_tuple(host.deliveries().size(), counter.live.load(), host.liveSamples()),
              std::make_tuple(offsetsOf(cut(stream, 0, sequences[2]), 0x00).size(), 0, 0));
}

// A display size far from the coded size used to make the corrected aspect
// ratio overflow its 32-bit height (undefined; INT_MIN in practice) or round
// to zero: either way a ratio no media type can carry.
TEST(Regressions, ExtremeDisplaySizesKeepTheAspectRatioPositive) {
    for (auto [width, height, displayWidth, displayHeight] :
         {std::array{1, 4095, 16383, 1}, {4095, 1, 1, 16383}, {352, 288, 16383, 1}, {352, 288, 1, 16383}}) {
        StreamState s;
        ResetStreamState(s);
        s.horizontal_size = width;
        s.vertical_size = height;
        s.aspect_ratio_information = 1;
        s.display_horizontal_size = displayWidth;
        s.display_vertical_size = displayHeight;
        UpdateAspectRatio(s);
        EXPECT_TRUE(s.aspect_x > 0 && s.aspect_y > 0) << width << "x" << height << " shown as " << displayWidth << "x"
                                                      << displayHeight << ": " << s.aspect_x << ":" << s.aspect_y;
    }
}

}  // namespace
}  // namespace tl::test
