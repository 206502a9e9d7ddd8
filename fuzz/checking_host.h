// The output side of the decoder fuzz target: a host that hands out output
// samples sized for its connection, each between two poisoned guard zones, and
// checks on every call that the decoder keeps the contract of the seam: sane
// format requests, each sample delivered at most once with a length inside it,
// every sample released exactly once, no byte written outside a sample.
#pragma once
#include <cstdint>
#include <mutex>

#include "engine/framework/host_interfaces.h"

namespace tl::fuzz {

struct HostPlan {
    OutputSubtype subtype = OutputSubtype::YUY2;
    std::int32_t stridePadding = 0;  // pixels added to the picture width (biWidth > visible width)
    bool interlacedOutput = false;   // dwInterlaceFlags bit 0
    bool refuseFormatChange = false;
    // What the renderer does to the first sample after each format change:
    // nothing, or it attaches a type of its own (as a renderer does when its
    // surface needs another stride): a wider stride, another subtype, or a
    // narrower width than the decoder asked for.
    enum class Arrival : std::uint8_t { None, WiderStride, OtherSubtype, Narrower } arrival = Arrival::None;
    OutputSubtype arrivalSubtype = OutputSubtype::RGB32;
};

class CheckingHost final : public DecoderHost {
public:
    explicit CheckingHost(const HostPlan& plan);

    HResult changeOutputFormat(const std::int32_t size[2], const std::int32_t codedSize[2],
                               const std::int32_t aspect[2], int chromaFormat, ReferenceTime framePeriod) override;
    HResult changeAspectRatio(const std::int32_t aspect[2]) override;
    HResult getDeliveryBuffer(OutputSample** sample, ReferenceTime* start, ReferenceTime* stop,
                              std::uint32_t flags) override;
    HResult deliver(OutputSample* sample) override;
    OutputFormat connectionFormat() override;
    ClassId downstreamFilterClassId() override { return ClassId{}; }

    // Output samples handed out and not yet released.
    int liveSamples() const;
    int deliveries() const;

    void sampleReleased();

private:
    std::int32_t bufferSize() const;
    void applyArrival();

    mutable std::mutex mutex_;
    HostPlan plan_;
    OutputFormat format_;
    int liveSamples_ = 0;
    int deliveries_ = 0;
    bool typeJustChanged_ = true;
};

class FuzzSettings final : public DecoderSettings {
public:
    bool sse = true, sse2 = true, sse3 = true;
    bool always = false;
    int mode = 0;
    std::int32_t forcedX = 0, forcedY = 0;
    bool skipping = false;
    ReferenceTime lateness = 0;

    std::int32_t frameSkippingToleranceMs() override { return 40; }
    bool cpuFeatureSSE() override { return sse; }
    bool cpuFeatureSSE2() override { return sse2; }
    bool cpuFeatureSSE3() override { return sse3; }
    bool alwaysDeinterlace() override { return always; }
    bool colorCorrection() override { return true; }
    int deinterlace() override { return mode; }
    std::int32_t aspectRatioX() override { return forcedX; }
    std::int32_t aspectRatioY() override { return forcedY; }
    bool frameSkipping() override { return skipping; }
    ReferenceTime rendererLateness() override { return lateness; }
};

}  // namespace tl::fuzz
