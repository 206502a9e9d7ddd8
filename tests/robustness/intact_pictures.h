// What the robustness tests drive the decoder object with: input samples that
// count the references held on them, a host that takes the engine's planar
// output into exactly sized buffers and keeps a digest per delivered picture,
// and the map of a stream's start codes that tells where damage can no longer
// reach the pictures.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/framework/host_interfaces.h"

namespace tl::test {

using Bytes = std::vector<std::uint8_t>;

// Counts the references held on all samples made with it.
struct ReferenceCounter {
    std::atomic<long> live{0};
    std::atomic<long> made{0};
};

class CountedSample final : public InputSample {
public:
    // One reference, owned by the caller.
    static CountedSample* make(ReferenceCounter& counter, const Bytes& bytes, ReferenceTime start = kNoTime,
                               std::uint32_t flags = 0);
    void addRef() override;
    void release() override;
    Properties properties() const override;

private:
    CountedSample(ReferenceCounter& counter, const Bytes& bytes, ReferenceTime start, std::uint32_t flags);
    ~CountedSample() = default;

    ReferenceCounter& counter_;
    std::atomic<int> refs_{1};
    Bytes bytes_;
    ReferenceTime start_;
    std::uint32_t flags_;
};

struct DeliveredPicture {
    std::string md5;  // of the visible planes, as the corpus .md5 files record them
    std::uint32_t flags = 0;
};

// Asks for the engine's planar layout and accepts every format change.
class DigestHost final : public DecoderHost {
public:
    HResult changeOutputFormat(const std::int32_t size[2], const std::int32_t codedSize[2],
                               const std::int32_t aspect[2], int chromaFormat, ReferenceTime framePeriod) override;
    HResult changeAspectRatio(const std::int32_t aspect[2]) override;
    HResult getDeliveryBuffer(OutputSample** sample, ReferenceTime* start, ReferenceTime* stop,
                              std::uint32_t flags) override;
    HResult deliver(OutputSample* sample) override;
    OutputFormat connectionFormat() override;
    ClassId downstreamFilterClassId() override { return ClassId{}; }

    std::vector<DeliveredPicture> deliveries() const;
    std::vector<std::string> digests() const;
    void clearDeliveries();
    int liveOutputSamples() const { return liveOutputSamples_.load(); }

    // Before Init: the connection the decoder starts with, and whether format
    // changes are refused (the renderer keeps its type and scales).
    std::int32_t width = 352, height = 288;
    bool refuseFormatChange = false;

private:
    friend class PlanarOutputSample;
    mutable std::mutex mutex_;
    int chromaFormat_ = 1;
    std::vector<DeliveredPicture> deliveries_;
    std::atomic<int> liveOutputSamples_{0};
};

// Weave: one delivery per picture, the picture as decoded.
class WeaveSettings final : public DecoderSettings {
public:
    std::int32_t frameSkippingToleranceMs() override { return 500; }
    bool cpuFeatureSSE() override { return true; }
    bool cpuFeatureSSE2() override { return true; }
    bool cpuFeatureSSE3() override { return true; }
    bool alwaysDeinterlace() override { return false; }
    bool colorCorrection() override { return false; }
    int deinterlace() override { return 2; }
    std::int32_t aspectRatioX() override { return 0; }
    std::int32_t aspectRatioY() override { return 0; }
    bool frameSkipping() override { return false; }
    ReferenceTime rendererLateness() override { return 0; }
};

struct StartCode {
    std::size_t offset;
    std::uint8_t code;
};
std::vector<StartCode> findStartCodes(const Bytes& stream);

Bytes cut(const Bytes& stream, std::size_t from, std::size_t to);
std::vector<Bytes> cutIntoChunks(const Bytes& stream, std::size_t chunk);

// One video PES packet per sample, as a demultiplexer would deliver a program stream.
std::vector<Bytes> videoPesPackets(const Bytes& programStream);
// The elementary stream the decoder sees behind a list of samples.
Bytes payloadOf(const std::vector<Bytes>& samples);

struct DecodeResult {
    std::vector<DeliveredPicture> pictures;
    std::vector<std::string> digests;
    std::uint32_t errors = 0;
    long referencesLeft = 0;    // input sample references not given back after Uninit
    int outputSamplesLeft = 0;  // output samples not released
};

// A fresh decoder object: Init, every sample, end of stream, Uninit.
DecodeResult decodeSamples(const std::vector<Bytes>& samples);

// Which delivered pictures damage at one byte of an elementary stream cannot
// have touched, in display order: the first `intactPrefix` pictures (the groups
// of pictures before the one holding the damage, less the last reference
// picture, whose output may wait for the damaged pictures), and the last
// `intactTail` (from the first group after the damage that needs no picture
// before it: a closed group behind a sequence header, else the second group
// behind a sequence header after the damage). Frame pictures only.
struct IntactPictures {
    std::size_t intactPrefix = 0;
    std::size_t intactTail = 0;
};
IntactPictures intactAround(const Bytes& stream, std::size_t firstDamage, std::size_t lastDamage);

}  // namespace tl::test
