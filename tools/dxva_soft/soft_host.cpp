#include "tools/dxva_soft/soft_host.h"

#include <cstring>

namespace tl::dxva_soft {
namespace {

constexpr OutputSubtype kSubtypes[] = {OutputSubtype::DxvaModeA, OutputSubtype::DxvaModeB, OutputSubtype::DxvaModeC,
                                       OutputSubtype::DxvaModeD};

// What DisplayFrame carries: the times and flags, no pixels.
class PresentationSample final : public OutputSample {
public:
    explicit PresentationSample(std::atomic<int>& live) : live_(live) { ++live_; }
    void release() override {
        --live_;
        delete this;
    }
    std::uint8_t* buffer() override { return &byte_; }
    std::int32_t size() const override { return 1; }
    const OutputFormat* arrivedMediaType() const override { return nullptr; }
    void setProperties(const Properties& properties) override { props_ = properties; }
    Properties properties() const override { return props_; }

private:
    ~PresentationSample() = default;
    std::atomic<int>& live_;
    std::uint8_t byte_ = 0;
    Properties props_;
};

}  // namespace

SoftDxvaHost::SoftDxvaHost(const Options& options) : soft_(options), accelerator_(&soft_) {
    format_.subtype = kSubtypes[options.mode - 'A'];
    format_.interlaceFlags = 1;
    soft_.onDisplay = [this](const Surface& s, const OutputSample::Properties& p) { show(s, p); };
}

HResult SoftDxvaHost::connect() {
    connection_.surfaceCount = std::uint32_t(soft_.surfaceCount());
    return dxva::configureDxva(*accelerator_, format_.subtype, connection_);
}

void SoftDxvaHost::dxvaCompBufferInfo(dxva::AMVACompBufferInfo (&info)[dxva::kCompBufferTypes]) {
    std::memcpy(info, connection_.compBufferInfo, sizeof info);
}

bool SoftDxvaHost::dxvaAlphaBlend(dxva::DXVA_ConfigAlphaLoad& load, dxva::DXVA_ConfigAlphaCombine& combine) {
    load = connection_.alphaLoadConfig;
    combine = connection_.alphaCombineConfig;
    return connection_.alphaBlend;
}

HResult SoftDxvaHost::changeOutputFormat(const std::int32_t size[2], const std::int32_t[2],
                                         const std::int32_t aspect[2], int chromaFormat, ReferenceTime) {
    // As the filter's output pin: no DirectX VA type for chroma formats other than 4:2:0.
    if (chromaFormat != 1) return hr::e_fail;
    std::lock_guard<std::mutex> lock(mutex_);
    format_.width = size[0];
    format_.height = size[1];
    format_.aspectX = std::uint32_t(aspect[0]);
    format_.aspectY = std::uint32_t(aspect[1]);
    return hr::ok;
}

HResult SoftDxvaHost::changeAspectRatio(const std::int32_t aspect[2]) {
    std::lock_guard<std::mutex> lock(mutex_);
    format_.aspectX = std::uint32_t(aspect[0]);
    format_.aspectY = std::uint32_t(aspect[1]);
    return hr::ok;
}

OutputFormat SoftDxvaHost::connectionFormat() {
    std::lock_guard<std::mutex> lock(mutex_);
    return format_;
}

HResult SoftDxvaHost::getDeliveryBuffer(OutputSample** sample, ReferenceTime*, ReferenceTime*, std::uint32_t) {
    *sample = new PresentationSample(samplesLeft_);
    return hr::ok;
}

// Pictures reach a DirectX VA renderer through DisplayFrame only.
HResult SoftDxvaHost::deliver(OutputSample*) { return hr::e_fail; }

void SoftDxvaHost::show(const Surface& surface, const OutputSample::Properties& properties) {
    if (!onShow) return;
    int width, height;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        width = format_.width;
        height = format_.height;
    }
    onShow(ShownPicture{surface, width, height, properties});
}

}  // namespace tl::dxva_soft
