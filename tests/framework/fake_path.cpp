#include "tests/framework/fake_host.h"

#include <cstdlib>

#include "engine/framework/sample_flags.h"

namespace tl::test {

class FakeOutputSample final : public OutputSample {
public:
    FakeOutputSample(FakeHost* host, std::int32_t size, std::uint32_t bufferFlags)
        : host_(host), buffer_(std::size_t(size), 0xCD), bufferFlags_(bufferFlags) {
        ++host_->liveSamples_;
    }
    void release() override {
        --host_->liveSamples_;
        delete this;
    }
    std::uint8_t* buffer() override { return buffer_.data(); }
    std::int32_t size() const override { return std::int32_t(buffer_.size()); }
    const OutputFormat* arrivedMediaType() const override { return nullptr; }
    void setProperties(const Properties& properties) override { props_ = properties; }

    Delivery describe(bool keepBytes) const {
        Delivery d;
        d.pictureType = props_.pictureType;
        d.start = props_.start;
        d.stop = props_.stop;
        d.flags = props_.flags;
        d.typeFlags = props_.typeSpecificFlags;
        d.bufferFlags = bufferFlags_;
        d.mediaTypeAttached = props_.mediaType != nullptr;
        d.firstByte = buffer_.empty() ? 0 : buffer_[0];
        if (keepBytes) d.bytes = buffer_;
        return d;
    }

private:
    ~FakeOutputSample() = default;
    FakeHost* host_;
    std::vector<std::uint8_t> buffer_;
    std::uint32_t bufferFlags_;
    Properties props_;
};

FakeHost::FakeHost() {
    format.subtype = OutputSubtype::Planar;
    format.width = 0;
    format.height = 0;
}

HResult FakeHost::changeOutputFormat(const std::int32_t size[2], const std::int32_t codedSize[2],
                                     const std::int32_t aspect[2], int chromaFormat, ReferenceTime framePeriod) {
    std::lock_guard<std::mutex> lock(mutex_);
    formatChanges_.push_back(
        {size[0], size[1], codedSize[0], codedSize[1], aspect[0], aspect[1], chromaFormat, framePeriod});
    if (refuseFormatChange) return hr::e_fail;
    format.width = size[0];
    format.height = size[1];
    format.aspectX = std::uint32_t(aspect[0]);
    format.aspectY = std::uint32_t(aspect[1]);
    return hr::ok;
}

HResult FakeHost::changeAspectRatio(const std::int32_t aspect[2]) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++aspectChanges_;
    format.aspectX = std::uint32_t(aspect[0]);
    format.aspectY = std::uint32_t(aspect[1]);
    return hr::ok;
}

HResult FakeHost::getDeliveryBuffer(OutputSample** sample, ReferenceTime*, ReferenceTime*, std::uint32_t flags) {
    std::int32_t size;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        size = (rowPitch ? rowPitch : format.width * 3) * std::abs(format.height);
    }
    *sample = new FakeOutputSample(this, size, flags);
    return hr::ok;
}

HResult FakeHost::deliver(OutputSample* sample) {
    const Delivery d = static_cast<FakeOutputSample*>(sample)->describe(keepBytes);
    std::lock_guard<std::mutex> lock(mutex_);
    deliveries_.push_back(d);
    return hr::ok;
}

OutputFormat FakeHost::connectionFormat() {
    std::lock_guard<std::mutex> lock(mutex_);
    return format;
}

std::vector<Delivery> FakeHost::deliveries() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return deliveries_;
}

std::vector<FormatChange> FakeHost::formatChanges() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return formatChanges_;
}

int FakeHost::aspectChanges() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return aspectChanges_;
}

std::string FakeHost::types() const {
    std::string out;
    for (const Delivery& d : deliveries()) out += "?IPB"[d.pictureType & 3];
    return out;
}

HResult FakePath::decodePicture(BitReader& reader, const StreamState&, const PictureTargets& targets) {
    const int index = next_++;
    if (beforePicture) beforePicture(index);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back({index, targets.current->index, targets.forward ? targets.forward->pictureType : 0,
                          targets.backward ? targets.backward->pictureType : 0, targets.secondField,
                          host_ ? host_->deliveries().size() : 0});
    }
    if (!targets.secondField) targets.current->planes[0][0] = std::uint8_t(index);
    for (;;) {
        HResult r = reader.nextStartCode();
        if (r != hr::ok) return r;
        const std::uint32_t code = reader.cache & 0xFF;
        if (code < 0x01 || code > 0xAF) return kPictureFinished;
        reader.skipBits(8);
    }
}

std::vector<FakePath::Call> FakePath::calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

}  // namespace tl::test
