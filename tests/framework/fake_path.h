// A host, settings and decoding path for driving the decoder object in tests.
// The host keeps every delivered sample's properties and first bytes; the
// decoding path skips slices and stamps each picture with its coded index.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/framework/decoding_path.h"
#include "engine/framework/host_interfaces.h"

namespace tl::test {

class FakeSettings final : public DecoderSettings {
public:
    std::int32_t toleranceMs = 500;
    bool sse = true, sse2 = true, sse3 = true;
    std::atomic<bool> always{false};
    std::atomic<int> mode{0};
    std::atomic<std::int32_t> forcedX{0}, forcedY{0};
    std::atomic<bool> skipping{false};
    std::atomic<ReferenceTime> lateness{0};

    std::int32_t frameSkippingToleranceMs() override { return toleranceMs; }
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

struct Delivery {
    std::int32_t pictureType = 0;
    ReferenceTime start = 0, stop = 0;
    std::uint32_t flags = 0;
    std::uint32_t typeFlags = 0;
    std::uint32_t bufferFlags = 0;  // what GetDeliveryBuffer was asked with
    bool mediaTypeAttached = false;
    std::uint8_t firstByte = 0;  // the coded index stamped by FakePath into luma (0,0)
    std::vector<std::uint8_t> bytes;  // the whole buffer when the host keeps them
};

struct FormatChange {
    std::int32_t width, height, codedWidth, codedHeight, aspectX, aspectY, chroma;
    ReferenceTime period;
};

class FakeHost final : public DecoderHost {
public:
    FakeHost();

    HResult changeOutputFormat(const std::int32_t size[2], const std::int32_t codedSize[2],
                               const std::int32_t aspect[2], int chromaFormat, ReferenceTime framePeriod) override;
    HResult changeAspectRatio(const std::int32_t aspect[2]) override;
    HResult getDeliveryBuffer(OutputSample** sample, ReferenceTime* start, ReferenceTime* stop,
                              std::uint32_t flags) override;
    HResult deliver(OutputSample* sample) override;
    OutputFormat connectionFormat() override;
    ClassId downstreamFilterClassId() override { return classId; }

    std::vector<Delivery> deliveries() const;
    std::vector<FormatChange> formatChanges() const;
    int aspectChanges() const;
    std::string types() const;  // one letter per delivery
    int liveSamples() const { return liveSamples_; }

    // Configuration, set before Init.
    OutputFormat format;
    ClassId classId{};
    bool refuseFormatChange = false;
    bool keepBytes = false;
    std::int32_t rowPitch = 0;  // sample bytes per row; 0: room for 4:4:4 planar

private:
    mutable std::mutex mutex_;
    std::vector<Delivery> deliveries_;
    std::vector<FormatChange> formatChanges_;
    int aspectChanges_ = 0;
    std::atomic<int> liveSamples_{0};
    friend class FakeOutputSample;
};

// Skips the slices of a picture like the real slice layer would consume them,
// writes the picture's coded index into its first luma byte, and records what
// it was given. An optional hook runs before each picture on the worker.
class FakePath final : public DecodingPath {
public:
    struct Call {
        int codedIndex;
        int currentIndex;  // pool index of the target record
        int forwardType, backwardType;  // 0 when absent
        bool secondField;
        std::size_t deliveredBefore;
    };
    explicit FakePath(const FakeHost* host = nullptr) : host_(host) {}

    HResult decodePicture(BitReader& reader, const StreamState& stream, const PictureTargets& targets) override;
    std::uint32_t errors() const override { return 0; }
    void resetErrors() override {}

    std::vector<Call> calls() const;
    std::function<void(int codedIndex)> beforePicture;

private:
    const FakeHost* host_;
    mutable std::mutex mutex_;
    std::vector<Call> calls_;
    int next_ = 0;
};

}  // namespace tl::test
