// What DisplayFrame's samples carry: the flags after a start and a seek, the
// field flags of the presentation mode, and times that follow each other.
#include <gtest/gtest.h>

#include "engine/framework/deinterlace.h"
#include "engine/framework/sample_flags.h"
#include "tests/dxva/dxva_decode.h"
#include "tests/support/corpus.h"

namespace tl::test {
namespace {

constexpr std::uint32_t kPlain = sample_flag::splice_point | sample_flag::time_valid | sample_flag::stop_valid;
constexpr std::uint32_t kDiscontinuity =
    sample_flag::data_discontinuity | sample_flag::time_valid | sample_flag::stop_valid;
constexpr std::uint32_t kTypeChange = kDiscontinuity | sample_flag::type_changed;

TEST(DxvaPresentation, SamplesCarryTimesAndFlags) {
    struct Case {
        const char* name;
        const char* stream;
        int deinterlace;
        bool always;
        int flushAfter;
        void (*check)(const std::vector<OutputSample::Properties>&);
    };
    const Case cases[] = {
        {"the first picture brings the media type, the first after a seek a discontinuity", "prog420_cgop",
         DEINTERLACE_WEAVE, false, 20,
         [](const std::vector<OutputSample::Properties>& shown) {
             ASSERT_GT(shown.size(), 2u);
             EXPECT_EQ(shown[0].flags, kTypeChange);
             int discontinuities = 0;
             for (std::size_t i = 1; i < shown.size(); ++i) {
                 if (shown[i].flags == kDiscontinuity) {
                     ++discontinuities;
                     ASSERT_LT(i + 1, shown.size());
                     EXPECT_EQ(shown[i + 1].flags, kPlain) << "only once";
                 } else {
                     EXPECT_EQ(shown[i].flags, kPlain) << "picture " << i;
                 }
             }
             EXPECT_EQ(discontinuities, 1);
         }},
        {"hardware bob, always deinterlacing: field order and repeated fields of 3:2 pulldown", "pulldown32",
         DEINTERLACE_HARDWARE_BOB, true, -1,
         [](const std::vector<OutputSample::Properties>& shown) {
             int repeated = 0;
             for (const auto& p : shown) {
                 EXPECT_EQ(p.typeSpecificFlags & video_flag::weave, 0u);
                 repeated += (p.typeSpecificFlags & video_flag::repeat_field) != 0;
             }
             EXPECT_EQ(repeated, 12);
         }},
        {"progressive: weave only, repeated fields lengthen the time instead", "pulldown32", DEINTERLACE_PROGRESSIVE,
         false, -1,
         [](const std::vector<OutputSample::Properties>& shown) {
             ASSERT_FALSE(shown.empty());
             for (std::size_t i = 0; i < shown.size(); ++i) {
                 EXPECT_EQ(shown[i].typeSpecificFlags, video_flag::weave);
                 if (i) {
                    EXPECT_EQ(shown[i].start, shown[i - 1].stop);
                }
             }
             EXPECT_GT(shown[0].stop, shown[0].start);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const StreamInfo info = find_stream(c.stream);
        DxvaRun run;
        run.deinterlace = c.deinterlace;
        run.alwaysDeinterlace = c.always;
        run.flushAfter = c.flushAfter;
        // Cut into pieces, so the seek falls inside the stream.
        c.check(decodeThroughDxva(samplesOf(read_file_bytes(info.streamPath()), false), run).shown);
    }
}

}  // namespace
}  // namespace tl::test
