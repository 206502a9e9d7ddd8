// A host for the decoder object that asks for the engine's planar output and
// keeps the digest of every delivered picture, and the demultiplexing that
// turns a stream file into the samples an upstream filter would send.
#pragma once
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/framework/host_interfaces.h"

namespace tl::test {

class PlanarHost final : public DecoderHost {
public:
    HResult changeOutputFormat(const std::int32_t size[2], const std::int32_t codedSize[2],
                               const std::int32_t aspect[2], int chromaFormat, ReferenceTime framePeriod) override;
    HResult changeAspectRatio(const std::int32_t aspect[2]) override;
    HResult getDeliveryBuffer(OutputSample** sample, ReferenceTime* start, ReferenceTime* stop,
                              std::uint32_t flags) override;
    HResult deliver(OutputSample* sample) override;
    OutputFormat connectionFormat() override;
    ClassId downstreamFilterClassId() override { return ClassId{}; }

    std::vector<std::string> digests() const;
    // Keeps the bytes of every delivered picture as well (for comparing against
    // another decoder's output).
    void keepPictures() { keepPictures_ = true; }
    std::vector<std::vector<std::uint8_t>> pictures() const;

private:
    mutable std::mutex mutex_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    int chromaFormat_ = 1;
    std::vector<std::string> digests_;
    bool keepPictures_ = false;
    std::vector<std::vector<std::uint8_t>> pictures_;
};

class FixedSettings final : public DecoderSettings {
public:
    std::int32_t frameSkippingToleranceMs() override { return 500; }
    bool cpuFeatureSSE() override { return true; }
    bool cpuFeatureSSE2() override { return true; }
    bool cpuFeatureSSE3() override { return true; }
    bool alwaysDeinterlace() override { return false; }
    bool colorCorrection() override { return false; }
    int deinterlace() override { return 2; }  // weave: one delivery per picture
    std::int32_t aspectRatioX() override { return 0; }
    std::int32_t aspectRatioY() override { return 0; }
    bool frameSkipping() override { return false; }
    ReferenceTime rendererLateness() override { return 0; }
};

// Elementary streams are cut into fixed chunks; program streams into one
// sample per video PES packet.
std::vector<std::vector<std::uint8_t>> splitIntoSamples(const std::vector<std::uint8_t>& file, bool programStream);

// Decodes a whole file through a fresh decoder object and returns the digest
// of each delivered picture.
std::vector<std::string> decodeFile(const std::vector<std::uint8_t>& file, bool programStream);
void decodeFile(const std::vector<std::uint8_t>& file, bool programStream, PlanarHost& host);

}  // namespace tl::test
