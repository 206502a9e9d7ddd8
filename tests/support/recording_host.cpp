#include "tests/support/recording_host.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "convert/output_format.h"
#include "engine/framework/sample_flags.h"
#include "tools/common/md5.h"

// Poisons the guard zones under AddressSanitizer only.
#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#else
#define ASAN_POISON_MEMORY_REGION(p, n) ((void)(p), (void)(n))
#define ASAN_UNPOISON_MEMORY_REGION(p, n) ((void)(p), (void)(n))
#endif

namespace tl::test {

using tools::md5_hex;
namespace {

constexpr std::size_t kGuard = 4096;
constexpr std::uint8_t kGuardByte = 0xA5;
constexpr std::uint8_t kFreshByte = 0xCD;  // what a sample holds before the decoder writes it

bool isRgb(OutputSubtype subtype) { return int(subtype) >= OUTPUT_RGB32 && int(subtype) <= OUTPUT_RGB555; }

std::size_t planarBytes(std::int32_t w, std::int32_t h, int chromaFormat) {
    const std::size_t cw = chromaFormat == 3 ? std::size_t(w) : std::size_t(w + 1) / 2;
    const std::size_t ch = chromaFormat == 1 ? std::size_t(h + 1) / 2 : std::size_t(h);
    return std::size_t(w) * std::size_t(h) + 2 * cw * ch;
}

}  // namespace

void require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "decoder contract broken: %s\n", what);
    std::abort();
}

class GuardedSample final : public OutputSample {
public:
    GuardedSample(RecordingHost* host, std::int32_t size, std::uint32_t bufferFlags, const OutputFormat* arrived)
        : host_(host), size_(size), bufferFlags_(bufferFlags), hasArrived_(arrived != nullptr),
          arrived_(arrived ? *arrived : OutputFormat{}), allocation_(new std::uint8_t[std::size_t(size) + 2 * kGuard]) {
        std::memset(allocation_.get(), kGuardByte, kGuard);
        std::memset(buffer(), kFreshByte, std::size_t(size));
        std::memset(buffer() + size, kGuardByte, kGuard);
        ASAN_POISON_MEMORY_REGION(allocation_.get(), kGuard);
        ASAN_POISON_MEMORY_REGION(buffer() + size, kGuard);
        ++host_->liveSamples_;
    }
    void release() override {
        require(!released_, "output sample released twice");
        released_ = true;
        ASAN_UNPOISON_MEMORY_REGION(allocation_.get(), kGuard);
        ASAN_UNPOISON_MEMORY_REGION(allocation_.get() + kGuard + size_, kGuard);
        for (std::size_t i = 0; i < kGuard; ++i) {
            require(allocation_[i] == kGuardByte, "written before the output sample");
            require(allocation_[kGuard + std::size_t(size_) + i] == kGuardByte, "written after the output sample");
        }
        --host_->liveSamples_;
        delete this;
    }
    std::uint8_t* buffer() override {
        require(!released_, "buffer of a released output sample");
        return allocation_.get() + kGuard;
    }
    std::int32_t size() const override { return size_; }
    const OutputFormat* arrivedMediaType() const override { return hasArrived_ ? &arrived_ : nullptr; }
    void setProperties(const Properties& p) override {
        require(!released_, "properties set on a released output sample");
        require(p.actualLength > 0 && p.actualLength <= size_, "actual length outside the output sample");
        require(p.stop >= p.start, "output sample ends before it starts");
        require(!p.mediaType || (p.flags & sample_flag::type_changed), "media type attached without type change");
        props_ = p;
        propertiesSet_ = true;
    }
    Properties properties() const override { return props_; }

    Delivery markDelivered(const RecordingHost& host, std::size_t digestBytes) {
        require(!released_, "released output sample delivered");
        require(!delivered_, "output sample delivered twice");
        require(propertiesSet_, "output sample delivered without properties");
        delivered_ = true;
        return {props_.pictureType, props_.start, props_.stop, props_.flags, props_.typeSpecificFlags, bufferFlags_,
                props_.mediaType != nullptr,
                host.keepBytes ? std::vector<std::uint8_t>(buffer(), buffer() + size_) : std::vector<std::uint8_t>(),
                host.keepDigests ? md5_hex(buffer(), std::min(digestBytes, std::size_t(size_))) : std::string()};
    }

private:
    ~GuardedSample() = default;
    RecordingHost* host_;
    std::int32_t size_;
    std::uint32_t bufferFlags_;
    bool hasArrived_;
    OutputFormat arrived_;
    std::unique_ptr<std::uint8_t[]> allocation_;
    Properties props_;
    bool released_ = false, delivered_ = false, propertiesSet_ = false;
};

void describeSubtype(OutputFormat& format, OutputSubtype subtype) {
    format.subtype = subtype;
    format.bitCount = std::uint16_t(outputBitsPerPixel(int(subtype)));
    format.compression = isRgb(subtype) ? kBiRgb : 0x32595559u;
}

RecordingHost::RecordingHost() { format.subtype = OutputSubtype::Planar; }

HResult RecordingHost::changeOutputFormat(const std::int32_t size[2], const std::int32_t codedSize[2],
                                          const std::int32_t aspect[2], int chromaFormat, ReferenceTime framePeriod) {
    require(size[0] > 0 && size[0] <= 8192 && size[1] > 0 && size[1] <= 4096, "requested picture size");
    require(codedSize[0] >= size[0] && codedSize[1] >= size[1], "coded size below picture size");
    require(codedSize[0] % 16 == 0 && codedSize[1] % 16 == 0, "coded size not in macroblocks");
    require(chromaFormat >= 1 && chromaFormat <= 3, "requested chroma format");
    require(aspect[0] > 0 && aspect[1] > 0, "requested aspect ratio");
    require(framePeriod >= 0, "negative frame period");
    std::lock_guard<std::mutex> lock(mutex_);
    formatChanges_.push_back(
        {size[0], size[1], codedSize[0], codedSize[1], aspect[0], aspect[1], chromaFormat, framePeriod});
    if (refuseFormatChange) return hr::e_fail;
    typeJustChanged_ = true;
    chroma_ = chromaFormat;
    format.width = size[0] + stridePadding;
    format.height = size[1];
    format.aspectX = std::uint32_t(aspect[0]);
    format.aspectY = std::uint32_t(aspect[1]);
    return hr::ok;
}

HResult RecordingHost::changeAspectRatio(const std::int32_t aspect[2]) {
    require(aspect[0] > 0 && aspect[1] > 0, "requested aspect ratio");
    std::lock_guard<std::mutex> lock(mutex_);
    ++aspectChanges_;
    format.aspectX = std::uint32_t(aspect[0]);
    format.aspectY = std::uint32_t(aspect[1]);
    return hr::ok;
}

std::int32_t RecordingHost::bufferSize() const {
    const std::int32_t w = format.width, h = std::abs(format.height);
    if (rowPitch) return rowPitch * h;
    // A connection the decoder could not renegotiate may have to hold 4:4:4.
    if (format.subtype == OutputSubtype::Planar) return std::int32_t(planarBytes(w, h, chroma_ ? chroma_ : 3));
    if (format.subtype == OutputSubtype::YV12) return w * h * 3 / 2;
    std::int32_t rowBytes = w * outputBitsPerPixel(int(format.subtype)) / 8;
    if (isRgb(format.subtype)) rowBytes = (rowBytes + 3) & ~3;  // DIB rows are whole words
    return rowBytes * h;
}

void RecordingHost::applyArrival() {
    switch (arrival) {
    case Arrival::WiderStride: format.width += 64; break;
    case Arrival::OtherSubtype: describeSubtype(format, arrivalSubtype); break;
    case Arrival::Smaller:
        if (format.width > 16) format.width -= 16;
        if (std::abs(format.height) > 16) format.height += format.height > 0 ? -16 : 16;
        break;
    case Arrival::None: break;
    }
}

HResult RecordingHost::getDeliveryBuffer(OutputSample** sample, ReferenceTime* start, ReferenceTime* stop,
                                         std::uint32_t flags) {
    require(sample != nullptr && start != nullptr && stop != nullptr, "null argument");
    require(flags == 0 || flags == kNotASyncPoint, "buffer flags");
    std::lock_guard<std::mutex> lock(mutex_);
    const bool arrives = typeJustChanged_ && arrival != Arrival::None;
    typeJustChanged_ = false;
    if (arrives) applyArrival();
    const std::int32_t size = bufferSize();
    if (size <= 0) return hr::e_fail;
    *sample = new GuardedSample(this, size, flags, arrives ? &format : nullptr);
    return hr::ok;
}

HResult RecordingHost::deliver(OutputSample* sample) {
    require(sample != nullptr, "null sample delivered");
    if (beforeDeliver) beforeDeliver();
    std::lock_guard<std::mutex> lock(mutex_);
    const std::size_t digestBytes = planarBytes(format.width, std::abs(format.height), chroma_ ? chroma_ : 1);
    deliveries_.push_back(static_cast<GuardedSample*>(sample)->markDelivered(*this, digestBytes));
    return hr::ok;
}

std::string RecordingHost::types() const {
    std::string out;
    for (const Delivery& d : deliveries()) out += "?IPB"[d.pictureType & 3];
    return out;
}

void RecordingHost::clearDeliveries() {
    std::lock_guard<std::mutex> lock(mutex_);
    deliveries_.clear();
}

}  // namespace tl::test
