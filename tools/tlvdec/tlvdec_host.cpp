#include "tools/tlvdec/tlvdec_host.h"

#include <cinttypes>
#include <vector>

#include "convert/dispatch.h"
#include "engine/framework/picture.h"
#include "engine/framework/sample_flags.h"

namespace tl::tlvdec {
namespace {

class PlanarSample final : public OutputSample {
public:
    explicit PlanarSample(std::int32_t size) : buffer_(std::size_t(size)) {}
    void release() override { delete this; }
    std::uint8_t* buffer() override { return buffer_.data(); }
    std::int32_t size() const override { return std::int32_t(buffer_.size()); }
    const OutputFormat* arrivedMediaType() const override { return nullptr; }
    void setProperties(const Properties& properties) override { props_ = properties; }
    const Properties& properties() const { return props_; }

private:
    ~PlanarSample() = default;
    std::vector<std::uint8_t> buffer_;
    Properties props_;
};

}  // namespace

void InFlightLimit::acquire() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return inFlight_ < limit_; });
    ++inFlight_;
}

void InFlightLimit::releaseOne() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        --inFlight_;
    }
    changed_.notify_all();
}

BufferSample* BufferSample::make(const std::uint8_t* data, std::int32_t length, ReferenceTime start,
                                 InFlightLimit* limit) {
    Properties p;
    p.data = data;
    p.length = length;
    p.start = start;
    p.flags = start != kNoTime ? sample_flag::time_valid : 0;
    limit->acquire();
    return new BufferSample(p, limit);
}

void BufferSample::release() {
    if (refs_.fetch_sub(1) != 1) return;
    InFlightLimit* limit = limit_;
    delete this;
    limit->releaseOne();
}

TlvdecHost::TlvdecHost(std::FILE* pictures, std::FILE* log, std::int64_t maxPictures)
    : pictures_(pictures), log_(log), maxPictures_(maxPictures) {
    format_.subtype = OutputSubtype::Planar;
    format_.interlaceFlags = 1;
}

HResult TlvdecHost::changeOutputFormat(const std::int32_t size[2], const std::int32_t[2],
                                       const std::int32_t aspect[2], int chromaFormat, ReferenceTime) {
    std::lock_guard<std::mutex> lock(mutex_);
    format_.width = size[0];
    format_.height = size[1];
    format_.aspectX = std::uint32_t(aspect[0]);
    format_.aspectY = std::uint32_t(aspect[1]);
    chromaFormat_ = chromaFormat;
    return hr::ok;
}

HResult TlvdecHost::changeAspectRatio(const std::int32_t aspect[2]) {
    std::lock_guard<std::mutex> lock(mutex_);
    format_.aspectX = std::uint32_t(aspect[0]);
    format_.aspectY = std::uint32_t(aspect[1]);
    return hr::ok;
}

OutputFormat TlvdecHost::connectionFormat() {
    std::lock_guard<std::mutex> lock(mutex_);
    return format_;
}

std::int32_t TlvdecHost::imageSize() const {
    Picture p;
    p.width = format_.width;
    p.height = format_.height;
    p.chromaFormat = chromaFormat_;
    return planarImageSize(p);
}

HResult TlvdecHost::getDeliveryBuffer(OutputSample** sample, ReferenceTime*, ReferenceTime*, std::uint32_t) {
    std::int32_t size;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        size = imageSize();
    }
    *sample = new PlanarSample(size);
    return hr::ok;
}

HResult TlvdecHost::deliver(OutputSample* sample) {
    if (limitReached()) return hr::ok;
    auto* planar = static_cast<PlanarSample*>(sample);
    const OutputSample::Properties& p = planar->properties();
    const std::int64_t index = delivered_++;
    if (log_) {
        std::fprintf(log_, "%" PRId64 " %c %" PRId64 " %" PRId64 " 0x%" PRIx32 "\n", index,
                     "?IPBD"[p.pictureType >= 1 && p.pictureType <= 4 ? p.pictureType : 0], p.start, p.stop,
                     p.flags);
    }
    if (pictures_ && !writeFailed_) {
        const std::size_t n = std::size_t(planar->size());
        if (std::fwrite(planar->buffer(), 1, n, pictures_) != n) writeFailed_ = true;
    }
    return hr::ok;
}

}  // namespace tl::tlvdec
