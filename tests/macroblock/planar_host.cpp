#include "tests/macroblock/planar_host.h"

#include <atomic>
#include <memory>

#include "engine/framework/video_decoder.h"
#include "tests/support/md5.h"

namespace tl::test {
namespace {

class PlanarSample final : public OutputSample {
public:
    explicit PlanarSample(std::size_t size) : data_(size) {}
    void release() override { delete this; }
    std::uint8_t* buffer() override { return data_.data(); }
    std::int32_t size() const override { return static_cast<std::int32_t>(data_.size()); }
    const OutputFormat* arrivedMediaType() const override { return nullptr; }
    void setProperties(const Properties& properties) override { properties_ = properties; }
    const Properties& properties() const { return properties_; }

private:
    std::vector<std::uint8_t> data_;
    Properties properties_;
};

class ByteSample final : public InputSample {
public:
    explicit ByteSample(std::vector<std::uint8_t> data) : data_(std::move(data)) {}
    void addRef() override { refs_.fetch_add(1); }
    void release() override {
        if (refs_.fetch_sub(1) == 1) delete this;
    }
    Properties properties() const override {
        Properties p;
        p.data = data_.data();
        p.length = static_cast<std::int32_t>(data_.size());
        return p;
    }

private:
    std::vector<std::uint8_t> data_;
    std::atomic<int> refs_{1};
};

std::uint32_t be16(const std::vector<std::uint8_t>& b, std::size_t i) { return (b[i] << 8) | b[i + 1]; }

}  // namespace

HResult PlanarHost::changeOutputFormat(const std::int32_t size[2], const std::int32_t*, const std::int32_t*,
                                       int chromaFormat, ReferenceTime) {
    std::lock_guard<std::mutex> lock(mutex_);
    width_ = size[0];
    height_ = size[1];
    chromaFormat_ = chromaFormat;
    return hr::ok;
}

HResult PlanarHost::changeAspectRatio(const std::int32_t*) { return hr::ok; }

HResult PlanarHost::getDeliveryBuffer(OutputSample** sample, ReferenceTime*, ReferenceTime*, std::uint32_t) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int h = height_ < 0 ? -height_ : height_;
    *sample = new PlanarSample(static_cast<std::size_t>(width_ + 1) * (h + 1) * 3);
    return hr::ok;
}

HResult PlanarHost::deliver(OutputSample* sample) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int w = width_;
    const int h = height_ < 0 ? -height_ : height_;
    const int cw = chromaFormat_ == 3 ? w : (w + 1) / 2;
    const int ch = chromaFormat_ == 1 ? (h + 1) / 2 : h;
    const std::size_t bytes = static_cast<std::size_t>(w) * h + 2u * cw * ch;
    digests_.push_back(md5_hex(sample->buffer(), bytes));
    if (keepPictures_) pictures_.emplace_back(sample->buffer(), sample->buffer() + bytes);
    return hr::ok;
}

OutputFormat PlanarHost::connectionFormat() {
    std::lock_guard<std::mutex> lock(mutex_);
    OutputFormat f;
    f.subtype = OutputSubtype::Planar;
    f.width = width_;
    f.height = height_;
    f.bitCount = 12;
    return f;
}

std::vector<std::vector<std::uint8_t>> PlanarHost::pictures() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return pictures_;
}

std::vector<std::string> PlanarHost::digests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return digests_;
}

std::vector<std::vector<std::uint8_t>> splitIntoSamples(const std::vector<std::uint8_t>& file, bool programStream) {
    std::vector<std::vector<std::uint8_t>> samples;
    if (!programStream) {
        constexpr std::size_t kChunk = 4096;
        for (std::size_t i = 0; i < file.size(); i += kChunk)
            samples.emplace_back(file.begin() + i, file.begin() + std::min(file.size(), i + kChunk));
        return samples;
    }
    std::size_t i = 0;
    while (i + 6 <= file.size()) {
        if (file[i] != 0 || file[i + 1] != 0 || file[i + 2] != 1) {
            ++i;
            continue;
        }
        const std::uint8_t id = file[i + 3];
        if (id == 0xBA) {  // pack header: 14 bytes plus stuffing
            if (i + 14 > file.size()) break;
            i += 14 + (file[i + 13] & 7);
        } else if (id == 0xB9) {
            i += 4;
        } else if (id >= 0xBB) {
            const std::size_t length = 6 + be16(file, i + 4);
            if (i + length > file.size()) break;
            if ((id & 0xF0) == 0xE0) samples.emplace_back(file.begin() + i, file.begin() + i + length);
            i += length;
        } else {
            ++i;
        }
    }
    return samples;
}

std::vector<std::string> decodeFile(const std::vector<std::uint8_t>& file, bool programStream) {
    PlanarHost host;
    decodeFile(file, programStream, host);
    return host.digests();
}

void decodeFile(const std::vector<std::uint8_t>& file, bool programStream, PlanarHost& host) {
    FixedSettings settings;
    VideoDecoder decoder;
    if (decoder.Init(&settings, &host) != hr::ok) return;
    for (auto& bytes : splitIntoSamples(file, programStream)) {
        auto* sample = new ByteSample(std::move(bytes));
        decoder.Receive(sample);
        sample->release();
    }
    decoder.EndOfStream();
    decoder.Uninit();
}

}  // namespace tl::test
