// The whole decoder object over arbitrary bytes. The first six input bytes
// choose how the rest reaches it (sample form and sizes, time stamps,
// discontinuities), the output format and connection, the settings, the
// playback rate, a flush or end of stream half way and a type the renderer
// attaches to a sample; the rest is the stream. After end of stream and Uninit
// every input and output sample must have been given back; the recording host
// checks every output access.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/framework/video_decoder.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/sample_plan.h"
#include "tests/support/decoder_inputs.h"
#include "tests/support/recording_host.h"

namespace {

using namespace tl;
using namespace tl::fuzz;
using namespace tl::test;

constexpr std::size_t kControlBytes = 6;

constexpr OutputSubtype kSubtypes[] = {
    OutputSubtype::YUY2,  OutputSubtype::UYVY,   OutputSubtype::YVYU,   OutputSubtype::YV12,   OutputSubtype::RGB32,
    OutputSubtype::RGB24, OutputSubtype::RGB565, OutputSubtype::RGB555, OutputSubtype::Planar,
};

constexpr double kRates[] = {1.0, 2.0, 0.5, 1.0};

// Time per input goes to allocating, clearing and converting whole pictures,
// not to the syntax inside them, and the header target covers the size limits.
// So every sequence header is made to announce at most kMaxWidth x kMaxHeight:
// the syntax of larger streams is still decoded, in the picture's top left,
// and what lies beyond the smaller size takes the error paths.
constexpr int kMaxWidth = 176;
constexpr int kMaxHeight = 144;

void capPictureSize(std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i + 8 <= n; ++i) {
        if (p[i] != 0 || p[i + 1] != 0 || p[i + 2] != 1) continue;
        if (p[i + 3] == 0xB3) {
            const int width = std::min(p[i + 4] << 4 | p[i + 5] >> 4, kMaxWidth);
            const int height = std::min((p[i + 5] & 0x0F) << 8 | p[i + 6], kMaxHeight);
            p[i + 4] = std::uint8_t(width >> 4);
            p[i + 5] = std::uint8_t((width & 0x0F) << 4 | height >> 8);
            p[i + 6] = std::uint8_t(height);
        } else if (p[i + 3] == 0xB5 && (p[i + 4] >> 4) == 1) {
            p[i + 5] &= 0xFE;  // horizontal size extension
            p[i + 6] &= 0x1F;  // vertical size extension
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kControlBytes) return 0;
    const std::uint8_t* c = data;
    std::vector<std::uint8_t> stream(data + kControlBytes, data + size);
    capPictureSize(stream.data(), stream.size());

    // Form, seed, size class, time stamps, discontinuities.
    const CutPlan cut{SampleForm(c[0] & 3), std::uint16_t(c[2] | c[3] << 8), std::uint8_t(c[4] & 3),
                      (c[0] & 0x04) != 0, (c[0] & 0x08) != 0};

    RecordingHost host;
    host.stridePadding = 16 * (c[1] >> 5);
    // A small 4:3 connection until the stream's first sequence header
    // renegotiates: the buffers allocated for it are thrown away then, and time
    // spent clearing them is time not spent fuzzing.
    host.format = {kSubtypes[(c[1] & 0x0F) % 9], true, 32 + host.stridePadding, 32, 0, 0, 4, 3, (c[1] & 0x10) ? 1u : 0u};
    describeSubtype(host.format, host.format.subtype);
    host.refuseFormatChange = (c[4] & 0x80) != 0;
    host.arrival = RecordingHost::Arrival((c[5] >> 4) & 3);
    static constexpr int kArrivalSubtypes[] = {0, 3, 4, 5};  // YUY2, YV12, RGB32, RGB24
    host.arrivalSubtype = kSubtypes[kArrivalSubtypes[c[5] >> 6]];

    TestSettings settings;
    settings.toleranceMs = 40;
    settings.mode = ((c[0] >> 4) & 7) % 6;
    settings.always = (c[0] & 0x80) != 0;
    settings.sse = (c[4] & 0x04) == 0;
    settings.sse2 = (c[4] & 0x08) == 0;
    settings.sse3 = (c[4] & 0x10) == 0;
    if (c[4] & 0x20) settings.forcedX = 16, settings.forcedY = 9;
    if (c[4] & 0x40) settings.skipping = true, settings.lateness = 1000000;

    const std::vector<PlannedSample> samples = CutIntoSamples(stream.data(), stream.size(), cut);
    const std::size_t half = samples.size() / 2;
    const bool flushHalfWay = (c[5] & 0x04) != 0;
    const bool endHalfWay = (c[5] & 0x08) != 0;

    ReferenceCounter counter;
    {
        VideoDecoder decoder;
        FUZZ_CHECK(decoder.Init(&settings, &host) == hr::ok, "Init failed");
        decoder.SetRate(kRates[c[5] & 3]);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            if (i == half && flushHalfWay) {
                decoder.Flush(true);
                decoder.Flush(false);
            }
            if (i == half && endHalfWay) FUZZ_CHECK(decoder.Receive(nullptr) == hr::ok, "end marker refused");
            TestSample* sample = TestSample::make(samples[i].bytes, samples[i].start, samples[i].flags, &counter);
            const HResult r = decoder.Receive(sample);
            sample->release();
            FUZZ_CHECK(r == hr::ok, "Receive refused a sample while running");
        }
        FUZZ_CHECK(decoder.EndOfStream() == hr::ok, "EndOfStream failed");
        const StreamInfo info = decoder.streamInfo();
        FUZZ_CHECK(info.frameNum >= info.skippedFrames, "more frames skipped than shown");
        decoder.Uninit();
    }
    FUZZ_CHECK(counter.live.load() == 0, "input sample references left after Uninit");
    FUZZ_CHECK(host.liveSamples() == 0, "output samples not released");
    return 0;
}
