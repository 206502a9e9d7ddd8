// The decoder object's queue and worker across threads: flushing, end of
// stream, stopping, and the states in which samples are refused.
#include <gtest/gtest.h>

#include "engine/base/cpu_features.h"
#include "engine/framework/sample_flags.h"
#include "tests/framework/decoder_rig.h"
#include "tests/support/thread_gate.h"

namespace tl {
namespace {

using test::DecoderRig;
using test::Gate;
using test::TestSample;

constexpr std::uint32_t kDiscontinuity = sample_flag::data_discontinuity;
constexpr std::uint32_t kMmxToSse3 = cpu_bit::mmx | cpu_bit::sse | cpu_bit::sse2 | cpu_bit::sse3;

// Samples are refused before Init, while a flush lasts (and not kept), and
// after Uninit; a second Init is refused until Uninit; decoding goes on
// normally after the flush, and Init again starts afresh.
TEST(DecoderObject, ReceiveOnlyBetweenInitAndUninitAndNotWhileFlushing) {
    DecoderRig rig;
    EXPECT_EQ(rig.feed({1, 2, 3}), hr::vfw_e_wrong_state);
    rig.init();
    EXPECT_EQ(rig.decoder.Init(&rig.settings, &rig.host), hr::vfw_e_wrong_state) << "a running decoder keeps its state";
    ASSERT_EQ(rig.decoder.Flush(true), hr::ok);
    TestSample* s = TestSample::make(test::buildStream("IP"));
    EXPECT_EQ(std::make_pair(rig.decoder.Receive(s), s->refs()), std::make_pair(hr::s_false, 1));
    s->release();
    ASSERT_EQ(rig.decoder.Flush(false), hr::ok);
    rig.play(test::buildPictureSamples("IPB"));
    EXPECT_EQ(rig.host.types(), "IBP");
    ASSERT_EQ(rig.decoder.Uninit(), hr::ok);
    EXPECT_EQ(rig.feed({1, 2, 3}), hr::vfw_e_wrong_state);
    rig.initAndPlay(test::buildPictureSamples("IP"));
    EXPECT_EQ(rig.host.types(), "IBPIP");
    EXPECT_EQ(rig.decoder.streamInfo().frameNum, 2u);  // statistics start over at Init
}

// The P pictures alone have no reference in a new run; queued samples are given
// back at the end of a run and at Uninit.
TEST(DecoderObject, EndOfStreamEndsTheRunAndGivesTheQueuedSamplesBack) {
    DecoderRig rig;
    rig.init();
    const auto samples = test::buildPictureSamples("IPP");
    rig.play({samples[0]});
    EXPECT_EQ(rig.host.types(), "I");
    rig.play({samples[1], samples[2]});
    EXPECT_EQ(rig.host.types(), "I");

    TestSample* s = TestSample::make(test::buildStream("IPBB"));
    ASSERT_EQ(rig.decoder.Receive(s), hr::ok);
    ASSERT_EQ(rig.decoder.EndOfStream(), hr::ok);
    EXPECT_EQ(s->refs(), 1);
    s->release();
    ASSERT_EQ(rig.feed(test::buildPictureSamples("IP")[0]), hr::ok);  // the worker waits for more
    TestSample* held = TestSample::make(test::buildPictureSamples("IP")[1]);
    ASSERT_EQ(rig.decoder.Receive(held), hr::ok);
    ASSERT_EQ(rig.decoder.Uninit(), hr::ok);
    EXPECT_EQ(held->refs(), 1);
    held->release();
    EXPECT_EQ(rig.host.liveSamples(), 0);
}

TEST(DecoderObject, FlushDeliversNothingAndTheNextSampleIsADiscontinuity) {
    DecoderRig rig;
    Gate gate;
    gate.arm();
    rig.path->beforePicture = [&](int index, Picture&) {
        if (index == 2) gate.passThrough();
    };
    rig.init();
    for (const auto& s : test::buildPictureSamples("IPPPPP")) ASSERT_EQ(rig.feed(s), hr::ok);
    gate.waitUntilEntered();
    // Picture 0 has been shown; pictures 1 and 2 are held and the rest queued.
    ASSERT_EQ(rig.host.deliveries().size(), 1u);
    ASSERT_EQ(rig.decoder.Flush(true), hr::ok);
    gate.open();
    ASSERT_EQ(rig.decoder.Flush(false), hr::ok);
    EXPECT_EQ(rig.host.deliveries().size(), 1u);

    rig.play(test::buildPictureSamples("IP"));
    const auto d = rig.host.deliveries();
    ASSERT_EQ(d.size(), 3u);
    // The clock starts over with the new run.
    EXPECT_EQ(std::make_tuple(d[1].pictureType, d[1].start, d[1].flags & kDiscontinuity, d[2].flags & kDiscontinuity),
              std::make_tuple(PICTURE_I, ReferenceTime(0), kDiscontinuity, 0u));
}

// Layer notifications merge into the damage queue even before Init.
TEST(DecoderObject, SettingsReadAtInitAndLayerDamageQueued) {
    DecoderRig rig;
    const DamageRect rects[] = {{1, 1, 5, 5}, {30, 0, 33, 2}, {4, 4, 10, 10}};
    ASSERT_EQ(rig.decoder.OnLayerNotifyDirty(rects, 3), hr::ok);
    EXPECT_EQ(rig.decoder.damageQueue(), (std::vector<DamageRect>{{28, 0, 36, 2}, {0, 1, 12, 10}}));
    rig.settings.sse = rig.settings.sse2 = rig.settings.sse3 = false;
    rig.settings.toleranceMs = 40;
    rig.init();
    EXPECT_EQ(std::make_tuple(rig.decoder.cpuFeatures() & kMmxToSse3, rig.decoder.frameSkippingTolerance()),
              std::make_tuple(cpuFeatureWord() & cpu_bit::mmx, ReferenceTime(400000)));
}

}  // namespace
}  // namespace tl
