#include "tools/tlvdec/tlvdec_host.h"

#include <algorithm>
#include <cinttypes>
#include <cstdlib>
#include <vector>

#include "convert/dispatch.h"
#include "engine/base/picture.h"
#include "engine/framework/sample_flags.h"
#include "tools/common/md5.h"
#include "tools/tlvdec/y4m_header.h"

namespace tl::tlvdec {
namespace {

class MemorySample final : public OutputSample {
public:
    explicit MemorySample(std::int32_t size) : buffer_(std::size_t(size)) {}
    void release() override { delete this; }
    std::uint8_t* buffer() override { return buffer_.data(); }
    std::int32_t size() const override { return std::int32_t(buffer_.size()); }
    const OutputFormat* arrivedMediaType() const override { return nullptr; }
    void setProperties(const Properties& properties) override { props_ = properties; }
    Properties properties() const override { return props_; }

private:
    ~MemorySample() = default;
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

BufferSample* BufferSample::make(std::vector<std::uint8_t>&& bytes, ReferenceTime start, InFlightLimit* limit) {
    Properties p;
    p.length = std::int32_t(bytes.size());
    p.start = start;
    p.flags = start != kNoTime ? sample_flag::time_valid : 0;
    limit->acquire();
    return new BufferSample(std::move(bytes), p, limit);
}

void BufferSample::release() {
    if (refs_.fetch_sub(1) != 1) return;
    InFlightLimit* limit = limit_;
    delete this;
    limit->releaseOne();
}

TlvdecHost::TlvdecHost(const HostConfig& config) : config_(config) {
    format_.subtype = OutputSubtype::Planar;
    format_.interlaceFlags = config_.claimsInterlace ? 1 : 0;
    if (config_.format >= 0 && config_.format < OUTPUT_PLANAR) {
        format_.subtype = OutputSubtype(config_.format);
        format_.bitCount = std::uint16_t(outputBitsPerPixel(config_.format));
    }
}

HResult TlvdecHost::changeOutputFormat(const std::int32_t size[2], const std::int32_t[2],
                                       const std::int32_t aspect[2], int chromaFormat, ReferenceTime framePeriod) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::int32_t rows = std::abs(format_.height);
    if (config_.notices && format_.width > 0 && (format_.width != size[0] || rows != size[1])) {
        std::fprintf(config_.notices, "tlvdec: the picture size changes from %dx%d to %dx%d after %" PRId64
                     " samples\n", format_.width, rows, size[0], size[1], delivered_.load());
    }
    framePeriod_ = framePeriod;
    format_.width = size[0];
    // Files get RGB rows top-down, which a bitmap header says with a negative height.
    const bool rgb = config_.format >= OUTPUT_RGB32 && config_.format <= OUTPUT_RGB555;
    format_.height = rgb ? -size[1] : size[1];
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
    const int rows = std::abs(format_.height);
    if (config_.format >= 0) return tightRowPitch(config_.format, format_.width) * rows;
    Picture p;
    p.width = format_.width;
    p.height = rows;
    p.chromaFormat = chromaFormat_;
    return planarImageSize(p);
}

HResult TlvdecHost::getDeliveryBuffer(OutputSample** sample, ReferenceTime*, ReferenceTime*, std::uint32_t) {
    if (config_.bench) {
        // Counted as delivered so --frames stops the run, and never beyond its count.
        if (!limitReached()) ++delivered_;
        return hr::e_fail;
    }
    std::int32_t size;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        size = imageSize();
    }
    *sample = new MemorySample(size);
    return hr::ok;
}

HResult TlvdecHost::deliver(OutputSample* sample) {
    if (limitReached()) return hr::ok;
    auto* delivered = static_cast<MemorySample*>(sample);
    const OutputSample::Properties p = delivered->properties();
    const std::size_t length = std::size_t(std::clamp(p.actualLength, 0, delivered->size()));
    const std::int64_t index = delivered_++;
    if (config_.log) {
        std::fprintf(config_.log, "%" PRId64 " %c %" PRId64 " %" PRId64 " 0x%" PRIx32 "\n", index,
                     "?IPBD"[p.pictureType >= 1 && p.pictureType <= 4 ? p.pictureType : 0], p.start, p.stop,
                     p.flags);
    }
    if (config_.digests) std::fprintf(config_.digests, "%s\n", tools::md5_hex(delivered->buffer(), length).c_str());
    if (config_.pictures && !writeFailed_ && (!config_.y4m || writeY4mFraming())) {
        if (std::fwrite(delivered->buffer(), 1, length, config_.pictures) != length) writeFailed_ = true;
    }
    if (index == config_.keepIndex) {
        std::lock_guard<std::mutex> lock(mutex_);
        KeptSample k;
        k.bytes.assign(delivered->buffer(), delivered->buffer() + length);
        k.format = config_.format;
        k.width = format_.width;
        k.height = std::abs(format_.height);
        kept_ = std::move(k);
    }
    return hr::ok;
}

bool TlvdecHost::writeY4mFraming() {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::int32_t rows = std::abs(format_.height);
    if (y4mWidth_ == 0) {
        Y4mFormat f;
        f.width = y4mWidth_ = format_.width;
        f.height = y4mHeight_ = rows;
        f.framePeriod = framePeriod_;
        f.aspectX = std::int32_t(format_.aspectX);
        f.aspectY = std::int32_t(format_.aspectY);
        f.chromaFormat = chromaFormat_;
        f.interlace = config_.y4mInterlace;
        const std::string header = Y4mHeader(f);
        if (std::fwrite(header.data(), 1, header.size(), config_.pictures) != header.size()) writeFailed_ = true;
    } else if (y4mWidth_ != format_.width || y4mHeight_ != rows) {
        // A YUV4MPEG2 file has one picture size.
        if (!y4mEnded_ && config_.notices)
            std::fprintf(config_.notices, "tlvdec: the .y4m file holds only the pictures before the size change\n");
        y4mEnded_ = true;
        return false;
    }
    static const char kFrame[] = "FRAME\n";
    if (std::fwrite(kFrame, 1, sizeof kFrame - 1, config_.pictures) != sizeof kFrame - 1) writeFailed_ = true;
    return !writeFailed_;
}

std::optional<KeptSample> TlvdecHost::kept() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return kept_;
}

}  // namespace tl::tlvdec
