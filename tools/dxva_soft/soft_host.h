// A decoder host connected in a DirectX VA mode to the software accelerator,
// set up with the same configuration exchange as the filter's output pin. It
// hands out presentation samples (times and flags, no pixels) and reports
// every displayed surface with its visible size.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "engine/dxva/connection_setup.h"
#include "engine/framework/host_interfaces.h"
#include "tools/dxva_soft/soft_accelerator.h"

namespace tl::dxva_soft {

struct ShownPicture {
    const Surface& surface;
    int width, height;  // visible size
    const OutputSample::Properties& properties;
};

class SoftDxvaHost final : public DecoderHost {
public:
    explicit SoftDxvaHost(const Options& options);

    // The connection's configuration exchange; a failure leaves the host unusable.
    HResult connect();

    // Called on the decoder's thread for every displayed surface.
    std::function<void(const ShownPicture&)> onShow;

    HResult changeOutputFormat(const std::int32_t size[2], const std::int32_t codedSize[2],
                               const std::int32_t aspect[2], int chromaFormat, ReferenceTime framePeriod) override;
    HResult changeAspectRatio(const std::int32_t aspect[2]) override;
    HResult getDeliveryBuffer(OutputSample** sample, ReferenceTime* start, ReferenceTime* stop,
                              std::uint32_t flags) override;
    HResult deliver(OutputSample* sample) override;
    OutputFormat connectionFormat() override;
    ClassId downstreamFilterClassId() override { return {}; }

    std::uint32_t dxvaSurfaceCount() override { return connection_.surfaceCount; }
    void dxvaCompBufferInfo(dxva::AMVACompBufferInfo (&info)[dxva::kCompBufferTypes]) override;
    void dxvaPictureDecodeConfig(dxva::DXVA_ConfigPictureDecode& config) override { config = connection_.config; }
    bool dxvaAlphaBlend(dxva::DXVA_ConfigAlphaLoad& load, dxva::DXVA_ConfigAlphaCombine& combine) override;
    DxvaAccelerator* dxvaAccelerator() override { return accelerator_; }

    SoftAccelerator& accelerator() { return soft_; }
    // Puts another accelerator (one that wraps this host's) between the decoder and the software one.
    void interpose(DxvaAccelerator* accelerator) { accelerator_ = accelerator; }
    const dxva::DxvaConnection& connection() const { return connection_; }
    int presentationSamplesLeft() const { return samplesLeft_; }

private:
    void show(const Surface& surface, const OutputSample::Properties& properties);

    SoftAccelerator soft_;
    DxvaAccelerator* accelerator_;
    dxva::DxvaConnection connection_;
    std::mutex mutex_;
    OutputFormat format_;
    std::atomic<int> samplesLeft_{0};
};

}  // namespace tl::dxva_soft
