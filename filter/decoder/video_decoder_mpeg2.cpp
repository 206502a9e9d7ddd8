#include "filter/decoder/video_decoder_mpeg2.h"

#include <vector>

#include "filter/com/bstr.h"
#include "filter/com/hresult_error.h"
#include "filter/decoder/sample_adapters.h"

namespace tl {

const com::InterfaceEntry* VideoDecoderMPEG2::InterfaceMap() {
    static const com::InterfaceEntry map[] = {
        com::Entry<VideoDecoderMPEG2, IVideoDecoderMPEG2>(),
        com::Entry<VideoDecoderMPEG2, IDispatch, IVideoDecoderMPEG2>(),
        com::Entry<VideoDecoderMPEG2, IVideoDecoderEngine>(),
        com::Entry<VideoDecoderMPEG2, ILayerMessageSink>(),
        com::Entry<VideoDecoderMPEG2, IAMVideoProcAmp>(),
        {},
    };
    return map;
}

VideoDecoderMPEG2::~VideoDecoderMPEG2() {
    if (initialised_) Uninit();
}

template <class T, class F>
HRESULT VideoDecoderMPEG2::Report(T* out, F field) const {
    if (!out) return E_POINTER;
    const StreamInfo info = decoder_.streamInfo();
    *out = static_cast<T>(field(info));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_value(BSTR* pVal) { return com::ReturnString(L"MPEG2 Decoder", pVal); }

HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_ChromaFormat(tagCHROMAFORMAT* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.chromaFormat; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_PictureStructure(tagPICTURESTRUCTURE* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.pictureStructure; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_Profile(tagPROFILE* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.profile; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_Level(tagLEVEL* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.level; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_VideoFormat(tagVIDEOFORMAT* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.videoFormat; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_AspectRatioInformation(tagASPECTRATIOINFORMATION* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.aspectRatioInformation; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_AspectRatioX(LONG* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.aspectRatioX; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_AspectRatioY(LONG* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.aspectRatioY; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_BitRate(LONG* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.bitRate; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_FrameRate(double* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.frameRate; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_SizeX(LONG* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.sizeX; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_SizeY(LONG* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.sizeY; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_CodedSizeX(LONG* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.codedSizeX; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_CodedSizeY(LONG* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.codedSizeY; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_DisplaySizeX(LONG* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.displaySizeX; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_DisplaySizeY(LONG* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.displaySizeY; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_ProgressiveSequence(VARIANT_BOOL* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.progressiveSequence ? VARIANT_TRUE : VARIANT_FALSE; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_ProgressiveFrame(VARIANT_BOOL* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.progressiveFrame ? VARIANT_TRUE : VARIANT_FALSE; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_Deinterlace(tagDEINTERLACE* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.deinterlace; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_GOPHours(LONG* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.gopHours; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_GOPMinutes(LONG* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.gopMinutes; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_GOPSeconds(LONG* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.gopSeconds; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_GOPPictures(LONG* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.gopPictures; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_GOPStructure(BSTR* pVal) {
    if (!pVal) return E_POINTER;
    const StreamInfo info = decoder_.streamInfo();
    return com::ReturnString(std::wstring(info.gopStructure.begin(), info.gopStructure.end()), pVal);
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_ColourPrimaries(LONG* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.colourPrimaries; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_MatrixCoefficients(LONG* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.matrixCoefficients; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_FrameNum(LONG* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.frameNum; });
}

HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::GetFrameCenterOffsets(LONG* pNumberOffsets, LONG* x1, LONG* y1,
                                                                   LONG* x2, LONG* y2, LONG* x3, LONG* y3) {
    const StreamInfo info = decoder_.streamInfo();
    if (pNumberOffsets) *pNumberOffsets = info.numberOfFrameCentreOffsets;
    LONG* xs[3] = {x1, x2, x3};
    LONG* ys[3] = {y1, y2, y3};
    for (int i = 0; i < 3; ++i) {
        if (xs[i]) *xs[i] = info.frameCentreHorizontalOffset[i];
        if (ys[i]) *ys[i] = info.frameCentreVerticalOffset[i];
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_TotalBytesRead(hyper* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.totalBytesRead; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_RendererPerformance(hyper* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.rendererPerformance; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_SkippedFrames(LONG* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.skippedFrames; });
}
HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::get_Errors(LONG* pVal) {
    return Report(pVal, [](const StreamInfo& i) { return i.errors; });
}

HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::Init(IUnknown* filter, IVideoDecoderHost* host, IPin* outputPin) {
    if (!filter || !host || !outputPin) return E_POINTER;
    return com::Guarded([&]() -> HRESULT {
        if (initialised_) Uninit();
        com::ComPtr<IFilterVideoDecoder> settings;
        HRESULT hr = filter->QueryInterface(__uuidof(IFilterVideoDecoder), settings.OutVoid());
        if (FAILED(hr)) return hr;
        // A filter without a top layer decodes without an overlay.
        if (SUCCEEDED(settings->get_TopLayer(topLayer_.Out())) && topLayer_) {
            topLayer_->put_sink(static_cast<ILayerMessageSink*>(this));
            layers_ = std::make_unique<LayerPainter>(topLayer_.Get());
        }
        settings_ = std::make_unique<FilterSettingsReader>(settings.Get(), layers_.get());
        host_ = std::make_unique<OutputPinHost>(host, outputPin);
        hr = decoder_.Init(settings_.get(), host_.get());
        if (FAILED(hr)) {
            ReleaseFilterSide();
            return hr;
        }
        initialised_ = true;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::Uninit() {
    const HRESULT hr = decoder_.Uninit();
    // The core no longer calls any of them once Uninit has returned.
    ReleaseFilterSide();
    initialised_ = false;
    return hr;
}

void VideoDecoderMPEG2::ReleaseFilterSide() {
    host_.reset();
    settings_.reset();
    layers_.reset();
    // The layer's reference to this object as its sink would otherwise keep it alive.
    if (topLayer_) topLayer_->put_sink(nullptr);
    topLayer_.Reset();
}

HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::Receive(IMediaSample* sample) {
    if (!sample) return decoder_.Receive(nullptr);
    return com::Guarded([&]() -> HRESULT {
        auto* input = new InputMediaSample(sample);
        const HRESULT hr = decoder_.Receive(input);
        input->release();
        return hr;
    });
}

HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::EndOfStream() { return decoder_.EndOfStream(); }

HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::Flush(bool begin) { return decoder_.Flush(begin); }

HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::SetRate(double rate) { return decoder_.SetRate(rate); }

HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::GetUndeliveredFrames(LONG* count) {
    return Report(count, [](const StreamInfo& i) { return i.undeliveredFrames; });
}

HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::OnLayerNotifyDirty(RECT* lpDamageRects, int nDamageRectCount) {
    if (!lpDamageRects && nDamageRectCount > 0) return E_POINTER;
    return com::Guarded([&]() -> HRESULT {
        std::vector<DamageRect> rects;
        rects.reserve(nDamageRectCount > 0 ? std::size_t(nDamageRectCount) : 0);
        for (int i = 0; i < nDamageRectCount; ++i) {
            const RECT& r = lpDamageRects[i];
            rects.push_back({r.left, r.top, r.right, r.bottom});
        }
        return decoder_.OnLayerNotifyDirty(rects.empty() ? nullptr : rects.data(), int(rects.size()));
    });
}

HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::GetRange(LONG Property, LONG* pMin, LONG* pMax, LONG* pSteppingDelta,
                                                      LONG* pDefault, LONG* pCapsFlags) {
    std::int32_t values[5] = {};
    const HRESULT hr = decoder_.procAmp().GetRange(Property, &values[0], &values[1], &values[2], &values[3], &values[4]);
    if (FAILED(hr)) return hr;
    LONG* outs[5] = {pMin, pMax, pSteppingDelta, pDefault, pCapsFlags};
    for (int i = 0; i < 5; ++i)
        if (outs[i]) *outs[i] = values[i];
    return hr;
}

HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::Set(LONG Property, LONG lValue, LONG Flags) {
    return decoder_.procAmp().Set(Property, lValue, Flags);
}

HRESULT STDMETHODCALLTYPE VideoDecoderMPEG2::Get(LONG Property, LONG* lValue, LONG* Flags) {
    std::int32_t value = 0, flags = 0;
    const HRESULT hr = decoder_.procAmp().Get(Property, lValue ? &value : nullptr, Flags ? &flags : nullptr);
    if (SUCCEEDED(hr)) {
        if (lValue) *lValue = value;
        if (Flags) *Flags = flags;
    }
    return hr;
}

}  // namespace tl
