// What a test feeds the decoder object besides its output side: compressed
// samples that count the references held on them, and settings it can change
// between runs (or, through onRefresh, hold the worker where it reads them).
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/framework/host_interfaces.h"

namespace tl::test {

struct ReferenceCounter {
    std::atomic<long> live{0};
    std::atomic<long> made{0};
};

// Reference counted like a media sample; frees itself at count 0. Created with
// one reference, owned by the creator. The payload sits in an allocation of
// exactly its size, so a read past it is caught under AddressSanitizer.
class TestSample final : public InputSample {
public:
    static TestSample* make(const std::vector<std::uint8_t>& data, ReferenceTime start = kNoTime,
                            std::uint32_t flags = 0, ReferenceCounter* counter = nullptr);
    void addRef() override;
    void release() override;
    Properties properties() const override;
    int refs() const { return refs_.load(); }

private:
    TestSample(const std::vector<std::uint8_t>& data, ReferenceTime start, std::uint32_t flags,
               ReferenceCounter* counter);
    ~TestSample() = default;

    std::atomic<int> refs_{1};
    std::unique_ptr<std::uint8_t[]> bytes_;
    std::int32_t length_;
    ReferenceTime start_;
    std::uint32_t flags_;
    ReferenceCounter* counter_;
};

class TestSettings final : public DecoderSettings {
public:
    // 2 (weave) gives one delivery per picture, the picture as decoded.
    explicit TestSettings(int deinterlaceMode = 0) : mode(deinterlaceMode), colour(deinterlaceMode != 2) {}

    std::int32_t toleranceMs = 500;
    bool sse = true, sse2 = true, sse3 = true;
    std::atomic<int> mode;
    bool colour;
    std::atomic<bool> always{false};
    std::atomic<std::int32_t> forcedX{0}, forcedY{0};
    std::atomic<bool> skipping{false};
    std::atomic<bool> conceal{false};
    std::atomic<ReferenceTime> lateness{0};
    // Runs where the worker refreshes its settings, at the start of every header pass.
    std::function<void()> onRefresh;

    std::int32_t frameSkippingToleranceMs() override { return toleranceMs; }
    bool cpuFeatureSSE() override { return sse; }
    bool cpuFeatureSSE2() override { return sse2; }
    bool cpuFeatureSSE3() override { return sse3; }
    bool alwaysDeinterlace() override {
        if (onRefresh) onRefresh();
        return always;
    }
    bool colorCorrection() override { return colour; }
    int deinterlace() override { return mode; }
    std::int32_t aspectRatioX() override { return forcedX; }
    std::int32_t aspectRatioY() override { return forcedY; }
    bool frameSkipping() override { return skipping; }
    bool errorConcealment() override { return conceal; }
    ReferenceTime rendererLateness() override { return lateness; }
    OverlayPainter* painter = nullptr;
    OverlayPainter* layers() override { return painter; }
};

}  // namespace tl::test
