#include "fuzz/checking_host.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "engine/framework/sample_flags.h"
#include "fuzz/fuzz_check.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/asan_interface.h>
#define FUZZ_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define FUZZ_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#endif
#endif
#ifndef FUZZ_POISON
#define FUZZ_POISON(p, n) ((void)(p), (void)(n))
#define FUZZ_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace tl::fuzz {
namespace {

constexpr std::size_t kGuard = 4096;
constexpr std::uint8_t kGuardByte = 0xA5;

int bitsPerPixel(OutputSubtype subtype) {
    switch (subtype) {
    case OutputSubtype::RGB32: return 32;
    case OutputSubtype::RGB24: return 24;
    case OutputSubtype::YV12: return 12;
    default: return 16;
    }
}

bool isRgb(OutputSubtype subtype) {
    return subtype == OutputSubtype::RGB32 || subtype == OutputSubtype::RGB24 ||
           subtype == OutputSubtype::RGB565 || subtype == OutputSubtype::RGB555;
}

class GuardedSample final : public OutputSample {
public:
    GuardedSample(CheckingHost* host, std::int32_t size, const OutputFormat* arrived)
        : host_(host), size_(size), hasArrived_(arrived != nullptr), arrived_(arrived ? *arrived : OutputFormat{}),
          allocation_(new std::uint8_t[std::size_t(size) + 2 * kGuard]) {
        std::memset(allocation_.get(), kGuardByte, kGuard);
        std::memset(allocation_.get() + kGuard, 0, std::size_t(size));
        std::memset(allocation_.get() + kGuard + size, kGuardByte, kGuard);
        FUZZ_POISON(allocation_.get(), kGuard);
        FUZZ_POISON(allocation_.get() + kGuard + size, kGuard);
    }
    void release() override {
        FUZZ_CHECK(!released_, "output sample released twice");
        released_ = true;
        FUZZ_UNPOISON(allocation_.get(), kGuard);
        FUZZ_UNPOISON(allocation_.get() + kGuard + size_, kGuard);
        for (std::size_t i = 0; i < kGuard; ++i) {
            FUZZ_CHECK(allocation_[i] == kGuardByte, "written before the output sample");
            FUZZ_CHECK(allocation_[kGuard + size_ + i] == kGuardByte, "written after the output sample");
        }
        host_->sampleReleased();
        delete this;
    }
    std::uint8_t* buffer() override {
        FUZZ_CHECK(!released_, "buffer of a released output sample");
        return allocation_.get() + kGuard;
    }
    std::int32_t size() const override { return size_; }
    const OutputFormat* arrivedMediaType() const override { return hasArrived_ ? &arrived_ : nullptr; }
    void setProperties(const Properties& p) override {
        FUZZ_CHECK(!released_, "properties set on a released output sample");
        FUZZ_CHECK(p.actualLength > 0 && p.actualLength <= size_, "actual length outside the sample");
        FUZZ_CHECK(p.stop >= p.start, "sample ends before it starts");
        if (p.mediaType) FUZZ_CHECK(p.flags & sample_flag::type_changed, "media type attached without type change");
        propertiesSet_ = true;
    }
    void markDelivered() {
        FUZZ_CHECK(!released_, "released output sample delivered");
        FUZZ_CHECK(!delivered_, "output sample delivered twice");
        FUZZ_CHECK(propertiesSet_, "output sample delivered without properties");
        delivered_ = true;
    }

private:
    ~GuardedSample() = default;
    CheckingHost* host_;
    std::int32_t size_;
    bool hasArrived_;
    OutputFormat arrived_;
    std::unique_ptr<std::uint8_t[]> allocation_;
    bool released_ = false;
    bool delivered_ = false;
    bool propertiesSet_ = false;
};

}  // namespace

CheckingHost::CheckingHost(const HostPlan& plan) : plan_(plan) {
    format_.subtype = plan.subtype;
    // A small connection until the stream's first sequence header renegotiates:
    // the buffers allocated for it are thrown away then, and time spent
    // zeroing them is time not spent fuzzing.
    format_.width = 32 + plan.stridePadding;
    format_.height = 32;
    format_.bitCount = std::uint16_t(plan.subtype == OutputSubtype::Planar ? 12 : bitsPerPixel(plan.subtype));
    format_.compression = isRgb(plan.subtype) ? kBiRgb : 0x32595559u;
    format_.aspectX = 4;
    format_.aspectY = 3;
    format_.interlaceFlags = plan.interlacedOutput ? 1 : 0;
}

HResult CheckingHost::changeOutputFormat(const std::int32_t size[2], const std::int32_t codedSize[2],
                                         const std::int32_t aspect[2], int chromaFormat, ReferenceTime framePeriod) {
    FUZZ_CHECK(size[0] > 0 && size[0] <= 8192 && size[1] > 0 && size[1] <= 4096, "requested picture size");
    FUZZ_CHECK(codedSize[0] >= size[0] && codedSize[1] >= size[1], "coded size below picture size");
    FUZZ_CHECK(codedSize[0] % 16 == 0 && codedSize[1] % 16 == 0, "coded size not in macroblocks");
    FUZZ_CHECK(chromaFormat >= 1 && chromaFormat <= 3, "requested chroma format");
    FUZZ_CHECK(aspect[0] > 0 && aspect[1] > 0, "requested aspect ratio");
    FUZZ_CHECK(framePeriod >= 0, "negative frame period");
    std::lock_guard<std::mutex> lock(mutex_);
    if (plan_.refuseFormatChange) return hr::e_fail;
    typeJustChanged_ = true;
    format_.subtype = plan_.subtype;
    format_.width = size[0] + plan_.stridePadding;
    format_.height = size[1];
    format_.aspectX = std::uint32_t(aspect[0]);
    format_.aspectY = std::uint32_t(aspect[1]);
    return hr::ok;
}

HResult CheckingHost::changeAspectRatio(const std::int32_t aspect[2]) {
    FUZZ_CHECK(aspect[0] > 0 && aspect[1] > 0, "requested aspect ratio");
    std::lock_guard<std::mutex> lock(mutex_);
    format_.aspectX = std::uint32_t(aspect[0]);
    format_.aspectY = std::uint32_t(aspect[1]);
    return hr::ok;
}

std::int32_t CheckingHost::bufferSize() const {
    const std::int32_t w = format_.width, h = std::abs(format_.height);
    if (format_.subtype == OutputSubtype::Planar) return w * h * 3;  // room for 4:4:4
    if (format_.subtype == OutputSubtype::YV12) return w * h * 3 / 2;
    std::int32_t rowBytes = w * bitsPerPixel(format_.subtype) / 8;
    if (isRgb(format_.subtype)) rowBytes = (rowBytes + 3) & ~3;  // DIB rows are whole words
    return rowBytes * h;
}

void CheckingHost::applyArrival() {
    switch (plan_.arrival) {
    case HostPlan::Arrival::WiderStride:
        format_.width += 64;
        break;
    case HostPlan::Arrival::OtherSubtype:
        format_.subtype = plan_.arrivalSubtype;
        format_.bitCount = std::uint16_t(bitsPerPixel(format_.subtype));
        format_.compression = isRgb(format_.subtype) ? kBiRgb : 0x32595559u;
        break;
    case HostPlan::Arrival::Narrower:
        format_.width = format_.width > 16 ? format_.width - 16 : format_.width;
        break;
    case HostPlan::Arrival::None:
        break;
    }
}

HResult CheckingHost::getDeliveryBuffer(OutputSample** sample, ReferenceTime* start, ReferenceTime* stop,
                                        std::uint32_t flags) {
    FUZZ_CHECK(sample != nullptr && start != nullptr && stop != nullptr, "null argument");
    FUZZ_CHECK(flags == 0 || flags == kNotASyncPoint, "buffer flags");
    std::lock_guard<std::mutex> lock(mutex_);
    const bool arrives = typeJustChanged_ && plan_.arrival != HostPlan::Arrival::None;
    typeJustChanged_ = false;
    if (arrives) applyArrival();
    const std::int32_t size = bufferSize();
    if (size <= 0) return hr::e_fail;
    *sample = new GuardedSample(this, size, arrives ? &format_ : nullptr);
    ++liveSamples_;
    return hr::ok;
}

HResult CheckingHost::deliver(OutputSample* sample) {
    FUZZ_CHECK(sample != nullptr, "null sample delivered");
    static_cast<GuardedSample*>(sample)->markDelivered();
    std::lock_guard<std::mutex> lock(mutex_);
    ++deliveries_;
    return hr::ok;
}

OutputFormat CheckingHost::connectionFormat() {
    std::lock_guard<std::mutex> lock(mutex_);
    return format_;
}

void CheckingHost::sampleReleased() {
    std::lock_guard<std::mutex> lock(mutex_);
    FUZZ_CHECK(liveSamples_ > 0, "more output samples released than handed out");
    --liveSamples_;
}

int CheckingHost::liveSamples() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return liveSamples_;
}

int CheckingHost::deliveries() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return deliveries_;
}

}  // namespace tl::fuzz
