// The filter as the decoder core sees it: its automation interface as the
// settings, and its IVideoDecoderHost plus output pin as the host. Both hold
// references to what they wrap and are called on the decoder's worker thread.
#pragma once
#include <FilterVideoDecoder.h>

#include <dshow.h>

#include <memory>

#include "engine/framework/host_interfaces.h"
#include "filter/com/com_ptr.h"
#include "filter/decoder/video_decoder_engine.h"
#include "filter/dxva/accelerator_adapter.h"

namespace tl {

class FilterSettingsReader final : public DecoderSettings {
public:
    // layers: the painter over the filter's TopLayer, or null when it has none.
    FilterSettingsReader(IFilterVideoDecoder* filter, OverlayPainter* layers) : filter_(filter), layers_(layers) {}

    std::int32_t frameSkippingToleranceMs() override;
    bool cpuFeatureSSE() override { return Flag(&IFilterVideoDecoder::get_CPUFeatureSSE, true); }
    bool cpuFeatureSSE2() override { return Flag(&IFilterVideoDecoder::get_CPUFeatureSSE2, true); }
    bool cpuFeatureSSE3() override { return Flag(&IFilterVideoDecoder::get_CPUFeatureSSE3, true); }
    bool alwaysDeinterlace() override { return Flag(&IFilterVideoDecoder::get_AlwaysDeinterlace, false); }
    bool colorCorrection() override { return Flag(&IFilterVideoDecoder::get_ColorCorrection, true); }
    int deinterlace() override;
    std::int32_t aspectRatioX() override { return Number(&IFilterVideoDecoder::get_AspectRatioX); }
    std::int32_t aspectRatioY() override { return Number(&IFilterVideoDecoder::get_AspectRatioY); }
    bool frameSkipping() override { return Flag(&IFilterVideoDecoder::get_FrameSkipping, false); }
    bool errorConcealment() override { return Flag(&IFilterVideoDecoder::get_ErrorConcealment, false); }
    ReferenceTime rendererLateness() override;
    OverlayPainter* layers() override { return layers_; }

private:
    // A getter that fails leaves the value the decoder assumes without a filter.
    bool Flag(HRESULT (STDMETHODCALLTYPE IFilterVideoDecoder::*get)(VARIANT_BOOL*), bool fallback);
    std::int32_t Number(HRESULT (STDMETHODCALLTYPE IFilterVideoDecoder::*get)(unsigned int*));

    com::ComPtr<IFilterVideoDecoder> filter_;
    OverlayPainter* layers_;
};

class OutputPinHost final : public DecoderHost {
public:
    OutputPinHost(IVideoDecoderHost* host, IPin* outputPin) : host_(host), pin_(outputPin) {}

    HResult changeOutputFormat(const std::int32_t size[2], const std::int32_t codedSize[2],
                               const std::int32_t aspect[2], int chromaFormat, ReferenceTime framePeriod) override;
    HResult changeAspectRatio(const std::int32_t aspect[2]) override;
    HResult getDeliveryBuffer(OutputSample** sample, ReferenceTime* start, ReferenceTime* stop,
                              std::uint32_t flags) override;
    HResult deliver(OutputSample* sample) override;
    OutputFormat connectionFormat() override;
    ClassId downstreamFilterClassId() override;

    std::uint32_t dxvaSurfaceCount() override;
    void dxvaCompBufferInfo(dxva::AMVACompBufferInfo (&info)[dxva::kCompBufferTypes]) override;
    void dxvaPictureDecodeConfig(dxva::DXVA_ConfigPictureDecode& config) override;
    bool dxvaAlphaBlend(dxva::DXVA_ConfigAlphaLoad& load, dxva::DXVA_ConfigAlphaCombine& combine) override;
    // The connected renderer's IAMVideoAccelerator, asked for anew each time.
    DxvaAccelerator* dxvaAccelerator() override;

private:
    com::ComPtr<IVideoDecoderHost> host_;
    com::ComPtr<IPin> pin_;
    std::unique_ptr<AcceleratorAdapter> accelerator_;
};

}  // namespace tl
