// Display order, time line, durations and frame skipping of the decoder
// object, driven by synthetic streams through the fake host.
#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "engine/framework/sample_flags.h"
#include "tests/framework/decoder_rig.h"

namespace tl {
namespace {

using test::DecoderRig;
using test::StreamShape;

constexpr ReferenceTime kPeriod25 = 400000;

TEST(OutputOrder, CodedOrderBecomesDisplayOrder) {
    const std::pair<const char*, const char*> cases[] = {  // coded order, display order
        {"IIII", "IIII"},
        {"IBBPBB", "IBBP"},     // B pictures without both references are dropped
        {"PPIPB", "IBP"},       // P pictures without a reference too
    };
    for (const auto& [coded, display] : cases) {
        DecoderRig rig;
        rig.initAndPlay(test::buildPictureSamples(coded));
        EXPECT_EQ(rig.host.types(), display) << coded;
    }
}

TEST(OutputOrder, FieldPicturesShareOneBufferAndAreShownOnce) {
    const StreamShape shape{{}, {0x48, false}, {3, false, false, false}, true};  // interlaced field pairs
    DecoderRig rig;
    rig.host.format.interlaceFlags = 1;
    rig.initAndPlay(test::buildPictureSamples("IPB", shape));
    const auto calls = rig.path->calls();
    ASSERT_EQ(calls.size(), 6u);
    for (std::size_t k = 0; k < calls.size(); k += 2) {
        EXPECT_EQ(std::make_tuple(calls[k].secondField, calls[k + 1].secondField, calls[k].currentIndex),
                  std::make_tuple(false, true, calls[k + 1].currentIndex));
    }
    EXPECT_EQ(rig.host.types(), "IBP");
    for (const auto& d : rig.host.deliveries()) EXPECT_EQ(d.typeFlags, video_flag::field1_first) << d.pictureType;
}

TEST(OutputOrder, SampleTimesAndTheRunningClock) {
    const ReferenceTime t = 1000000;
    using Times = std::array<ReferenceTime, 4>;
    const std::tuple<const char*, Times, Times> cases[] = {  // coded order, the samples' times, the start times
        // The P picture's sample says where it belongs; B pictures carry no time.
        {"IPBB", {t, t + 3 * kPeriod25, kNoTime, kNoTime}, {t, t + kPeriod25, t + 2 * kPeriod25, t + 3 * kPeriod25}},
        // 1 ms off: the clock stays; 2 ms off: it jumps; no time: it runs on.
        {"IIII", {0, kPeriod25 + 10000, 2 * kPeriod25 + 20000, kNoTime},
         {0, kPeriod25, 2 * kPeriod25 + 20000, 3 * kPeriod25 + 20000}},
    };
    for (const auto& [coded, times, starts] : cases) {
        DecoderRig rig;
        rig.init();
        const auto samples = test::buildPictureSamples(coded);
        for (std::size_t i = 0; i < samples.size(); ++i) ASSERT_EQ(rig.feed(samples[i], times[i]), hr::ok);
        ASSERT_EQ(rig.decoder.EndOfStream(), hr::ok);
        const auto d = rig.host.deliveries();
        ASSERT_EQ(d.size(), 4u);
        for (std::size_t i = 0; i < d.size(); ++i)
            EXPECT_EQ(std::make_pair(d[i].start, d[i].stop), std::make_pair(starts[i], starts[i] + kPeriod25)) << i;
    }
}

TEST(OutputOrder, DurationsPulldownAndRate) {
    // progressive_sequence, progressive_frame, top_field_first, repeat_first_field, the rate; the
    // duration and the type flags with an interlace-capable output, Auto deinterlacing
    const std::tuple<const char*, bool, bool, bool, bool, double, ReferenceTime, std::uint32_t> cases[] = {
        {"progressive", true, true, false, false, 1.0, kPeriod25, video_flag::weave},
        {"progressive_rff", true, true, false, true, 1.0, 2 * kPeriod25, video_flag::weave},
        {"progressive_rff_tff", true, true, true, true, 1.0, 3 * kPeriod25, video_flag::weave},
        {"interlaced_frame", false, false, true, false, 1.0, kPeriod25, video_flag::field1_first},
        {"interlaced_bottom_first", false, false, false, false, 1.0, kPeriod25, 0},
        {"pulldown_frame", false, true, true, true, 1.0, kPeriod25 * 3 / 2, video_flag::weave},
        {"rate_two", true, true, false, false, 2.0, kPeriod25 / 2, video_flag::weave},
        {"rate_half", true, true, false, false, 0.5, kPeriod25 * 2, video_flag::weave},
    };
    for (const auto& [name, progressiveSequence, progressiveFrame, topFieldFirst, repeatFirstField, rate, duration,
                      typeFlags] : cases) {
        const StreamShape shape{
            {}, {0x48, progressiveSequence}, {3, topFieldFirst, repeatFirstField, progressiveFrame}};
        DecoderRig rig;
        rig.host.format.interlaceFlags = 1;
        rig.init();
        rig.decoder.SetRate(rate);
        rig.play(test::buildPictureSamples("IP", shape));
        const auto d = rig.host.deliveries();
        ASSERT_EQ(d.size(), 2u) << name;
        EXPECT_EQ(std::make_tuple(d[0].stop - d[0].start, d[1].start, d[1].typeFlags),
                  std::make_tuple(duration, duration, typeFlags)) << name;
    }
}

// One interlaced picture, deinterlaced by what the renderer can do: hardware
// bob forced on an output that takes interlaced samples marks the repeated
// field of a progressive frame; without interlace support downstream Auto
// picks double-rate bob (two half-length samples), or single-rate bob for a
// renderer that bobs by itself.
TEST(OutputOrder, DeinterlacingFollowsTheRenderer) {
    const ClassId softwareBobRenderer = {0x0E, 0x22, 0x23, 0x7C, 0xBB, 0x55, 0xD3, 0x11,
                                         0x8B, 0x16, 0x00, 0xC0, 0x4F, 0xB6, 0xBD, 0x3D};
    // progressive_frame, interlaced output, hardware bob forced, bobbing renderer; samples, mode
    const std::tuple<const char*, bool, bool, bool, bool, std::size_t, int> cases[] = {
        {"hardware_bob", true, true, true, false, 1, 3},
        {"double_rate_bob", false, false, false, false, 2, 5},
        {"bobbing_renderer", false, false, false, true, 1, 4},
    };
    for (const auto& [name, progressiveFrame, interlacedOutput, forceHardwareBob, bobbingRenderer, samples,
                      deinterlace] : cases) {
        const bool pulldown = forceHardwareBob;  // top field first, repeated
        const StreamShape shape{{}, {0x48, false}, {3, pulldown, pulldown, progressiveFrame}};
        DecoderRig rig;
        rig.host.format.interlaceFlags = interlacedOutput;
        if (bobbingRenderer) rig.host.classId = softwareBobRenderer;
        if (forceHardwareBob) rig.settings.mode = 3, rig.settings.always = true;  // the frame is progressive
        rig.initAndPlay(test::buildPictureSamples("I", shape));
        const auto d = rig.host.deliveries();
        ASSERT_EQ(std::make_pair(d.size(), rig.decoder.streamInfo().deinterlace), std::make_pair(samples, deinterlace));
        if (forceHardwareBob) {
            EXPECT_EQ(d[0].typeFlags, video_flag::field1_first | video_flag::repeat_field);
        }
        if (samples < 2) continue;
        EXPECT_EQ(std::make_tuple(d[0].start, d[0].stop, d[0].bufferFlags, d[1].start, d[1].stop, d[1].bufferFlags),
                  std::make_tuple(ReferenceTime(0), kPeriod25 / 2, 0u, kPeriod25 / 2, kPeriod25, kNotASyncPoint));
        EXPECT_EQ(d[1].flags, sample_flag::splice_point | sample_flag::time_valid | sample_flag::stop_valid);
    }
}

TEST(OutputOrder, FrameSkippingDropsOnlyLateBPictures) {
    const std::tuple<bool, ReferenceTime, const char*, std::uint32_t> cases[] = {  // enabled, lateness; shown, skipped
        {true, 5000000, "IPP", 2},   // lateness equal to the tolerance
        {true, 4999999, "IBPBP", 0},
        {true, 0, "IBPBP", 0},
        {true, -6000000, "IBPBP", 0},
        {false, 9000000, "IBPBP", 0},
    };
    for (const auto& [enabled, lateness, shown, skipped] : cases) {
        DecoderRig rig;
        rig.settings.skipping = enabled;
        rig.settings.lateness = lateness;
        rig.initAndPlay(test::buildPictureSamples("IPBPB"));
        EXPECT_EQ(rig.host.types(), shown) << lateness;
        const StreamInfo info = rig.decoder.streamInfo();
        // A skipped picture still takes its place on the time line, but is not decoded at all.
        EXPECT_EQ(std::make_tuple(info.skippedFrames, info.frameNum, rig.host.deliveries().back().start,
                                  rig.path->calls().size()),
                  std::make_tuple(skipped, 5u, 4 * kPeriod25, 5u - skipped)) << lateness;
    }
}

TEST(OutputOrder, GopStructureStringIsCappedAndRestartsAtI) {
    DecoderRig rig;
    rig.init();
    const std::string longGop = "I" + std::string(70, 'P');
    rig.play(test::buildPictureSamples(longGop.c_str()));
    EXPECT_EQ(rig.decoder.streamInfo().gopStructure, "I" + std::string(62, 'P'));
    rig.play(test::buildPictureSamples("IPBB"));
    EXPECT_EQ(rig.decoder.streamInfo().gopStructure, "IPBB");
}

TEST(OutputOrder, DiscontinuityAndMediaTypeFlags) {
    DecoderRig rig;
    rig.init();
    auto samples = test::buildPictureSamples("IPPPPP");
    for (std::size_t i = 0; i < samples.size(); ++i)
        ASSERT_EQ(rig.feed(samples[i], kNoTime, i == 4 ? sample_flag::data_discontinuity : 0), hr::ok);
    ASSERT_EQ(rig.decoder.EndOfStream(), hr::ok);
    std::vector<std::pair<std::uint32_t, bool>> got;
    for (const auto& x : rig.host.deliveries()) got.emplace_back(x.flags, x.mediaTypeAttached);
    const std::uint32_t timed = sample_flag::time_valid | sample_flag::stop_valid;
    const std::uint32_t plain = sample_flag::splice_point | timed;
    // First after the run start and the renegotiation: discontinuity and the new
    // type. The reader reaches sample 4 while picture 3 is decoded; the delivery
    // that follows (picture 2, shown one reference late) carries the flag.
    const std::vector<std::pair<std::uint32_t, bool>> expected = {
        {sample_flag::data_discontinuity | sample_flag::type_changed | timed, true}, {plain, false},
        {sample_flag::data_discontinuity | timed, false}, {plain, false}, {plain, false}, {plain, false}};
    EXPECT_EQ(got, expected);
}

TEST(OutputOrder, FormatChangeRenegotiatesAndFlushesTheReference) {
    const StreamShape small{{352, 288, 3}, {}, {}};
    const auto first = test::buildPictureSamples("IP"), second = test::buildPictureSamples("IP", small);
    DecoderRig rig;
    rig.initAndPlay({first[0], second[0], second[1]});
    std::vector<std::vector<std::int64_t>> changes;
    for (const auto& f : rig.host.formatChanges())
        changes.push_back({f.width, f.height, f.codedWidth, f.codedHeight, f.aspectX, f.aspectY, f.chroma, f.period});
    EXPECT_EQ(changes, (std::vector<std::vector<std::int64_t>>{{720, 576, 720, 576, 4, 3, 1, kPeriod25},
                                                               {352, 288, 352, 288, 16, 9, 1, kPeriod25}}));
    EXPECT_EQ(rig.host.types(), "IIP");
    EXPECT_TRUE(rig.host.deliveries()[1].mediaTypeAttached);
    EXPECT_EQ(rig.decoder.streamInfo().aspectRatioX, 16);
}

TEST(OutputOrder, ForcedAspectIsNegotiatedAndChangesMidStream) {
    DecoderRig rig;
    rig.settings.forcedX = 16;
    rig.settings.forcedY = 9;
    rig.initAndPlay(test::buildPictureSamples("IP"));
    ASSERT_EQ(rig.host.formatChanges().size(), 1u);
    EXPECT_EQ(std::make_pair(rig.host.formatChanges()[0].aspectX, rig.host.aspectChanges()), std::make_pair(16, 0));
    rig.settings.forcedX = 0;  // back to the stream's 4:3
    rig.settings.forcedY = 0;
    rig.play(test::buildPictureSamples("IP"));
    EXPECT_EQ(rig.host.formatChanges().size(), 1u);  // the same format after a run: no renegotiation
    EXPECT_EQ(rig.host.aspectChanges(), 1);
    const StreamInfo info = rig.decoder.streamInfo();
    EXPECT_EQ(std::make_pair(info.aspectRatioX, info.aspectRatioY), std::make_pair(4, 3));
    EXPECT_TRUE(rig.host.deliveries()[2].mediaTypeAttached);
}

TEST(OutputOrder, PicturesLargerThanTheOutputAreDecodedButNotDelivered) {
    DecoderRig rig;
    rig.host.refuseFormatChange = true;
    rig.host.format = {OutputSubtype::Planar, true, 320, 240};
    rig.initAndPlay(test::buildPictureSamples("IPB"));
    EXPECT_EQ(std::make_tuple(rig.path->calls().size(), rig.host.deliveries().size(),
                              rig.decoder.streamInfo().frameNum),
              std::make_tuple(3u, 0u, 3u));
}

// A renderer that attaches a type smaller than the picture to the first sample
// after a format change: the sample is sized for that type, and the picture must
// stay inside it (the host's guard zones abort the test otherwise).
TEST(OutputOrder, AttachedTypeSmallerThanThePictureStaysInsideTheSample) {
    for (OutputSubtype subtype :
         {OutputSubtype::YUY2, OutputSubtype::YV12, OutputSubtype::RGB32, OutputSubtype::Planar}) {
        const StreamShape shape{{64, 48}, {}, {}};
        DecoderRig rig;
        test::describeSubtype(rig.host.format, subtype);
        rig.host.arrival = test::RecordingHost::Arrival::Smaller;
        rig.initAndPlay(test::buildPictureSamples("IPP", shape));
        // The sample the type came with is delivered, marked as changing the type;
        // later pictures, larger than the type now connected, are decoded but not delivered.
        const auto d = rig.host.deliveries();
        ASSERT_EQ(d.size(), 1u) << int(subtype);
        EXPECT_EQ(std::make_pair(d[0].flags & sample_flag::type_changed, rig.decoder.streamInfo().undeliveredFrames),
                  std::make_pair(sample_flag::type_changed, 2u)) << int(subtype);
    }
}

TEST(OutputOrder, WideYuy2SurfacesAreStretchedOnlyPastTheThreshold) {
    for (const auto& [outputWidth, widened] : {std::pair{720, true}, std::pair{704, false}}) {
        const StreamShape shape{{640, 480}, {}, {}};
        DecoderRig rig;
        rig.host.format = {OutputSubtype::YUY2, true, outputWidth, 480};
        rig.host.refuseFormatChange = true;  // the renderer keeps its surface size
        rig.host.keepBytes = true;
        // The picture is a fresh buffer's black (luma 16) kept at video range, so
        // it differs from the luma 0 the surface beyond it is cleared to.
        rig.settings.colour = false;
        rig.initAndPlay(test::buildPictureSamples("I", shape));
        const auto d = rig.host.deliveries();
        ASSERT_EQ(d.size(), 1u);
        // Right of the picture in the first row: stretched pixels, or black.
        const std::uint8_t beyond[2] = {d[0].bytes[2 * 640 + 20], d[0].bytes[2 * 640 + 21]};
        EXPECT_NE(beyond[0], 0xCD) << outputWidth;
        EXPECT_EQ(beyond[0] == 0x00 && beyond[1] == 0x80, !widened) << outputWidth;
    }
}

}  // namespace
}  // namespace tl
