// tlvdec's side of the decoder seam: the input samples it feeds, the settings
// the decoder reads, and the host that receives the pictures and writes them.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/framework/host_interfaces.h"
#include "engine/base/reference_time.h"

namespace tl::tlvdec {

// Bounds how many samples are in the decoder's hands at once, as an upstream
// allocator's buffer count does.
class InFlightLimit {
public:
    explicit InFlightLimit(int limit) : limit_(limit) {}
    void acquire();
    void releaseOne();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int inFlight_ = 0;
    const int limit_;
};

// A sample over bytes that outlive it (the input file held in memory).
class BufferSample final : public InputSample {
public:
    // Takes the bytes over; waits while the limit's samples are all in flight.
    static BufferSample* make(std::vector<std::uint8_t>&& bytes, ReferenceTime start, InFlightLimit* limit);
    void addRef() override { refs_.fetch_add(1); }
    void release() override;
    Properties properties() const override { return props_; }

private:
    BufferSample(std::vector<std::uint8_t>&& bytes, const Properties& props, InFlightLimit* limit)
        : bytes_(std::move(bytes)), props_(props), limit_(limit) {
        props_.data = bytes_.data();
    }
    ~BufferSample() = default;
    std::atomic<int> refs_{1};
    std::vector<std::uint8_t> bytes_;
    Properties props_;
    InFlightLimit* limit_;
};

// The settings the decoder reads, at the filter's defaults (no frame
// skipping, Auto deinterlacing, no colour correction) until an option changes them.
class ToolSettings final : public DecoderSettings {
public:
    std::int32_t toleranceMs = 500;
    bool sse = true, sse2 = true, sse3 = true;
    bool always = false;
    bool colourCorrection = false;
    int deinterlaceMode = 0;  // tagDEINTERLACE
    std::int32_t forcedAspectX = 0, forcedAspectY = 0;

    std::int32_t frameSkippingToleranceMs() override { return toleranceMs; }
    bool cpuFeatureSSE() override { return sse; }
    bool cpuFeatureSSE2() override { return sse2; }
    bool cpuFeatureSSE3() override { return sse3; }
    bool alwaysDeinterlace() override { return always; }
    bool colorCorrection() override { return colourCorrection; }
    int deinterlace() override { return deinterlaceMode; }
    std::int32_t aspectRatioX() override { return forcedAspectX; }
    std::int32_t aspectRatioY() override { return forcedAspectY; }
    bool frameSkipping() override { return false; }
    bool conceal = false;
    bool errorConcealment() override { return conceal; }
    ReferenceTime rendererLateness() override { return 0; }
    OverlayPainter* painter = nullptr;
    OverlayPainter* layers() override { return painter; }
};

// What the host connects with and what it does with the samples.
struct HostConfig {
    int format = -1;                // OUTPUT_* code of the connection, -1: the engine's planar layout
    bool claimsInterlace = false;   // the renderer takes interlaced samples (hardware bob, weave)
    bool bench = false;             // refuse every buffer, so nothing is converted
    std::FILE* pictures = nullptr;  // where delivered samples go, null: nowhere
    std::FILE* log = nullptr;       // where --timestamps lines go, null: not printed
    std::int64_t maxPictures = -1;  // < 0: no limit
    std::int64_t keepIndex = -1;    // the delivered sample to keep a copy of, -1: none
    std::FILE* digests = nullptr;   // where one MD5 line per delivered sample goes, null: nowhere
    std::FILE* notices = nullptr;   // where size changes are reported, null: not reported
    bool y4m = false;               // pictures go out as a YUV4MPEG2 file
    char y4mInterlace = 'p';        // its field order: p, t or b
};

// A copy of one delivered sample with what it takes to read it.
struct KeptSample {
    std::vector<std::uint8_t> bytes;
    int format = -1;
    std::int32_t width = 0, height = 0;
};

// Accepts every format change and hands out samples sized for the connection:
// the planar layout at the picture size, or any other format tightly packed.
// Without an interlace claim Auto deinterlaces in software, as the decoder
// does for a plain renderer. Delivered samples are written in order.
class TlvdecHost final : public DecoderHost {
public:
    explicit TlvdecHost(const HostConfig& config);

    HResult changeOutputFormat(const std::int32_t size[2], const std::int32_t codedSize[2],
                               const std::int32_t aspect[2], int chromaFormat, ReferenceTime framePeriod) override;
    HResult changeAspectRatio(const std::int32_t aspect[2]) override;
    HResult getDeliveryBuffer(OutputSample** sample, ReferenceTime* start, ReferenceTime* stop,
                              std::uint32_t flags) override;
    HResult deliver(OutputSample* sample) override;
    OutputFormat connectionFormat() override;
    ClassId downstreamFilterClassId() override { return {}; }

    // Samples delivered, or with --bench asked for.
    std::int64_t delivered() const { return delivered_; }
    bool limitReached() const { return config_.maxPictures >= 0 && delivered_ >= config_.maxPictures; }
    bool writeFailed() const { return writeFailed_; }
    // The sample at keepIndex, once delivered.
    std::optional<KeptSample> kept() const;

private:
    std::int32_t imageSize() const;
    // The YUV4MPEG2 header before the first picture, a FRAME line before each;
    // false for a picture the file cannot hold (another size).
    bool writeY4mFraming();

    const HostConfig config_;
    mutable std::mutex mutex_;
    OutputFormat format_;
    int chromaFormat_ = 1;
    ReferenceTime framePeriod_ = 0;
    std::int32_t y4mWidth_ = 0, y4mHeight_ = 0;  // as the file's header gives them, 0 before it
    bool y4mEnded_ = false;
    std::optional<KeptSample> kept_;
    std::atomic<std::int64_t> delivered_{0};
    std::atomic<bool> writeFailed_{false};
};

}  // namespace tl::tlvdec
