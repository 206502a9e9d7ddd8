#include "engine/framework/pes_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/support/pes_writer.h"

namespace tl {
namespace {

using Bytes = std::vector<std::uint8_t>;

using test::cat;
using test::packHeader;
using test::pesPacket;
using test::timeStamp;

const Bytes kPayload = {0x00, 0x00, 0x01, 0xB3, 0x2D, 0x02, 0x40, 0x33};

const Bytes kPts = timeStamp(0x21, 900000);
const Bytes kPtsOfPair = timeStamp(0x31, 903003);
const Bytes kDts = timeStamp(0x11, 900000);

Bytes withBadMarker(Bytes ts, int byte) {
    ts[std::size_t(byte)] &= 0xFE;
    return ts;
}

// name, sample, accepted, the payload expected when accepted
const std::tuple<std::string, Bytes, bool, Bytes> kPayloadCases[] = {
    {"elementary_data", kPayload, true, kPayload},
    {"short_elementary_data", {0x00, 0x00, 0x01}, true, {0x00, 0x00, 0x01}},
    {"pes_without_options", pesPacket(0xE0, 0x80, 0x00, {}, kPayload), true, kPayload},
    {"pes_with_pts", pesPacket(0xE0, 0x80, 0x80, kPts, kPayload), true, kPayload},
    {"pes_with_pts_and_dts", pesPacket(0xE0, 0x80, 0xC0, cat({kPtsOfPair, kDts}), kPayload), true, kPayload},
    {"pes_length_zero_takes_the_rest", pesPacket(0xE0, 0x80, 0x80, kPts, kPayload, 0), true, kPayload},
    {"pes_length_beyond_buffer", pesPacket(0xE0, 0x80, 0x80, kPts, kPayload, 3 + 5 + 9), false, {}},
    {"pes_shorter_than_buffer", pesPacket(0xE0, 0x80, 0x80, kPts, kPayload, 3 + 5 + 4), true,
     Bytes(kPayload.begin(), kPayload.begin() + 4)},
    {"mpeg1_pes_refused", pesPacket(0xE0, 0x0F, 0x00, {}, kPayload), false, {}},
    {"forbidden_pts_dts_flags", pesPacket(0xE0, 0x80, 0x40, kPts, kPayload), false, {}},
    {"pts_with_dts_prefix_refused", pesPacket(0xE0, 0x80, 0x80, kPtsOfPair, kPayload), false, {}},
    {"pts_marker_16_missing", pesPacket(0xE0, 0x80, 0x80, withBadMarker(kPts, 2), kPayload), false, {}},
    {"pts_marker_0_missing", pesPacket(0xE0, 0x80, 0x80, withBadMarker(kPts, 4), kPayload), false, {}},
    {"dts_bad_prefix", pesPacket(0xE0, 0x80, 0xC0, cat({kPtsOfPair, kPts}), kPayload), false, {}},
    {"stuffing_skipped", pesPacket(0xE0, 0x80, 0x80, cat({kPts, {0xFF, 0xFF, 0xFF}}), kPayload), true, kPayload},
    {"header_length_shorter_than_fields", pesPacket(0xE0, 0x80, 0x80, kPts, kPayload, -1, 4), false, {}},
    {"pes_without_payload", pesPacket(0xE0, 0x80, 0x80, kPts, {}), false, {}},
    {"pes_too_short_for_pts", pesPacket(0xE0, 0x80, 0x80, {}, {}, 3), false, {}},
    {"escr_es_rate_trick_copy_crc", pesPacket(0xE0, 0x80, 0x3E, Bytes(6 + 3 + 1 + 1 + 2, 0x55), kPayload), true,
     kPayload},
    {"extension_with_private_data_and_pack_field",
     pesPacket(0xE0, 0x80, 0x01, cat({{0xC0}, Bytes(16, 0x11), {2, 0x22, 0x22}}), kPayload), true, kPayload},
    {"extension_field_length_beyond_header", pesPacket(0xE0, 0x80, 0x01, {0x01, 0x85}, kPayload), false, {}},
    {"pes_truncated_header", Bytes{0, 0, 1, 0xE0, 0}, false, {}},
    {"pack_then_pes", packHeader(0, pesPacket(0xE0, 0x80, 0x80, kPts, kPayload)), true, kPayload},
    {"pack_with_stuffing", packHeader(3, pesPacket(0xE0, 0x80, 0x80, kPts, kPayload)), true, kPayload},
    {"pack_bad_marker", packHeader(0, pesPacket(0xE0, 0x80, 0x80, kPts, kPayload), false), false, {}},
    {"pack_with_system_header",
     packHeader(0, cat({{0, 0, 1, 0xBB, 0, 6}, Bytes(6, 0xFF), pesPacket(0xE0, 0x80, 0x80, kPts, kPayload)})), false, {}},
    {"pack_without_room_for_a_packet", packHeader(0, {0, 0, 1}), false, {}},
    {"pack_then_padding_stream", packHeader(0, cat({{0, 0, 1, 0xBE, 0, 4}, {1, 2, 3, 4}})), true, Bytes{1, 2, 3, 4}},
    {"mpeg1_pack_refused",
     cat({{0, 0, 1, 0xBA, 0x21, 0x00, 0x01, 0x00, 0x01, 0x80, 0x00, 0x01}, pesPacket(0xE0, 0x80, 0x00, {}, kPayload)}),
     false, {}},
};

TEST(SamplePayload, StripsOrRefuses) {
    for (const auto& [name, sample, accepted, payload] : kPayloadCases) {
        SCOPED_TRACE(name);
        Payload p;
        const bool ok = ExtractSamplePayload(sample.data(), std::int32_t(sample.size()), &p);
        EXPECT_EQ(ok, accepted);
        if (!ok || !accepted) continue;
        ASSERT_TRUE(p.data >= sample.data() && p.data + p.length <= sample.data() + sample.size());
        EXPECT_EQ(Bytes(p.data, p.data + p.length), payload);
    }
}

}  // namespace
}  // namespace tl
