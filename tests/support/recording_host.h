// The output side every test and the decoder fuzz target drive the decoder
// object with. It hands out output samples of exactly the size the connection
// needs, each between two guard zones (poisoned under AddressSanitizer), keeps
// what each delivery carried, and aborts with a message when the decoder breaks
// the contract of the seam: a format request out of range, a sample delivered
// twice or without properties, a length outside the sample, a sample released
// twice, a byte written outside a sample.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/framework/host_interfaces.h"

namespace tl::test {

struct Delivery {
    std::int32_t pictureType = 0;
    ReferenceTime start = 0, stop = 0;
    std::uint32_t flags = 0;
    std::uint32_t typeFlags = 0;
    std::uint32_t bufferFlags = 0;  // what getDeliveryBuffer was asked with
    bool mediaTypeAttached = false;
    std::vector<std::uint8_t> bytes;  // the whole sample, with keepBytes
    std::string md5;  // of the visible planes of a planar sample, with keepDigests
};

struct FormatChange {
    std::int32_t width, height, codedWidth, codedHeight, aspectX, aspectY, chroma;
    ReferenceTime period;
};

class RecordingHost final : public DecoderHost {
public:
    RecordingHost();

    HResult changeOutputFormat(const std::int32_t size[2], const std::int32_t codedSize[2],
                               const std::int32_t aspect[2], int chromaFormat, ReferenceTime framePeriod) override;
    HResult changeAspectRatio(const std::int32_t aspect[2]) override;
    HResult getDeliveryBuffer(OutputSample** sample, ReferenceTime* start, ReferenceTime* stop,
                              std::uint32_t flags) override;
    HResult deliver(OutputSample* sample) override;
    OutputFormat connectionFormat() override { return locked(format); }
    ClassId downstreamFilterClassId() override { return classId; }

    std::vector<Delivery> deliveries() const { return locked(deliveries_); }
    std::string types() const;  // one letter per delivery
    void clearDeliveries();
    std::vector<FormatChange> formatChanges() const { return locked(formatChanges_); }
    int aspectChanges() const { return locked(aspectChanges_); }
    int liveSamples() const { return liveSamples_; }  // handed out and not released

    // What a renderer may do to the first sample after each format change:
    // attach a type of its own with a wider stride, another subtype, or a
    // smaller size (16 pixels narrower and shorter) than the decoder asked for.
    enum class Arrival : std::uint8_t { None, WiderStride, OtherSubtype, Smaller };

    // Configuration, set before Init. The connection starts planar and empty.
    OutputFormat format;
    ClassId classId{};
    bool refuseFormatChange = false, keepBytes = false, keepDigests = false;
    std::int32_t rowPitch = 0;       // sample bytes per row; 0: as the subtype needs
    std::int32_t stridePadding = 0;  // pixels added to the width the decoder asks for
    Arrival arrival = Arrival::None;
    OutputSubtype arrivalSubtype = OutputSubtype::RGB32;
    std::function<void()> beforeDeliver;  // runs on the decoder's thread, unlocked

private:
    friend class GuardedSample;
    std::int32_t bufferSize() const;
    void applyArrival();
    // A copy of what the decoder's thread may be changing.
    template <class T>
    T locked(const T& value) const {
        std::lock_guard<std::mutex> lock(mutex_);
        return value;
    }

    mutable std::mutex mutex_;
    int chroma_ = 0;  // of the last accepted format change; 0 before one
    bool typeJustChanged_ = true;
    std::vector<Delivery> deliveries_;
    std::vector<FormatChange> formatChanges_;
    int aspectChanges_ = 0;
    std::atomic<int> liveSamples_{0};
};

// A broken contract is a finding: say which and abort, so a test fails loudly
// and libFuzzer keeps the input.
void require(bool condition, const char* what);

// Output format fields that follow from the subtype: bit count and compression.
void describeSubtype(OutputFormat& format, OutputSubtype subtype);

}  // namespace tl::test
