// The decoder object as a COM class: the portable decoder core behind the
// filter's internal engine interface, with its stream information for scripts,
// the layer tree's damage notifications and the core's ProcAmp control of RGB
// output.
#pragma once
#include <FilterVideoDecoder.h>

#include <dshow.h>

#include <memory>

#include "engine/framework/video_decoder.h"
#include "filter/com/dual.h"
#include "filter/com/interface_map.h"
#include "filter/decoder/filter_bindings.h"
#include "filter/decoder/video_decoder_engine.h"
#include "filter/osd/layer_painter.h"

namespace tl {

class VideoDecoderMPEG2 : public com::Dual<IVideoDecoderMPEG2>,
                          public IVideoDecoderEngine,
                          public ILayerMessageSink,
                          public IAMVideoProcAmp {
public:
    VideoDecoderMPEG2() = default;
    ~VideoDecoderMPEG2();
    static const com::InterfaceEntry* InterfaceMap();

    // IVideoDecoderMPEG2
    HRESULT STDMETHODCALLTYPE get_value(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_ChromaFormat(tagCHROMAFORMAT* pVal) override;
    HRESULT STDMETHODCALLTYPE get_PictureStructure(tagPICTURESTRUCTURE* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Profile(tagPROFILE* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Level(tagLEVEL* pVal) override;
    HRESULT STDMETHODCALLTYPE get_VideoFormat(tagVIDEOFORMAT* pVal) override;
    HRESULT STDMETHODCALLTYPE get_AspectRatioInformation(tagASPECTRATIOINFORMATION* pVal) override;
    HRESULT STDMETHODCALLTYPE get_AspectRatioX(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_AspectRatioY(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_BitRate(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_FrameRate(double* pVal) override;
    HRESULT STDMETHODCALLTYPE get_SizeX(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_SizeY(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_CodedSizeX(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_CodedSizeY(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_DisplaySizeX(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_DisplaySizeY(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_ProgressiveSequence(VARIANT_BOOL* pVal) override;
    HRESULT STDMETHODCALLTYPE get_ProgressiveFrame(VARIANT_BOOL* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Deinterlace(tagDEINTERLACE* pVal) override;
    HRESULT STDMETHODCALLTYPE get_GOPHours(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_GOPMinutes(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_GOPSeconds(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_GOPPictures(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_GOPStructure(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_ColourPrimaries(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_MatrixCoefficients(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_FrameNum(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE GetFrameCenterOffsets(LONG* pNumberOffsets, LONG* x1, LONG* y1, LONG* x2, LONG* y2,
                                                    LONG* x3, LONG* y3) override;
    HRESULT STDMETHODCALLTYPE get_TotalBytesRead(hyper* pVal) override;
    HRESULT STDMETHODCALLTYPE get_RendererPerformance(hyper* pVal) override;
    HRESULT STDMETHODCALLTYPE get_SkippedFrames(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Errors(LONG* pVal) override;

    // IVideoDecoderEngine
    HRESULT STDMETHODCALLTYPE Init(IUnknown* filter, IVideoDecoderHost* host, IPin* outputPin) override;
    HRESULT STDMETHODCALLTYPE Uninit() override;
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE Flush(bool begin) override;
    HRESULT STDMETHODCALLTYPE SetRate(double rate) override;
    HRESULT STDMETHODCALLTYPE GetUndeliveredFrames(LONG* count) override;

    // ILayerMessageSink
    HRESULT STDMETHODCALLTYPE OnLayerNotifyDirty(RECT* lpDamageRects, int nDamageRectCount) override;

    // IAMVideoProcAmp
    HRESULT STDMETHODCALLTYPE GetRange(LONG Property, LONG* pMin, LONG* pMax, LONG* pSteppingDelta, LONG* pDefault,
                                       LONG* pCapsFlags) override;
    HRESULT STDMETHODCALLTYPE Set(LONG Property, LONG lValue, LONG Flags) override;
    HRESULT STDMETHODCALLTYPE Get(LONG Property, LONG* lValue, LONG* Flags) override;

private:
    template <class T, class F>
    HRESULT Report(T* out, F field) const;
    void ReleaseFilterSide();

    VideoDecoder decoder_;
    // Present between Init and Uninit; the core calls them on its worker.
    // While present, this object is the top layer's sink.
    std::unique_ptr<LayerPainter> layers_;
    com::ComPtr<ILayer> topLayer_;
    std::unique_ptr<FilterSettingsReader> settings_;
    std::unique_ptr<OutputPinHost> host_;
    bool initialised_ = false;
};

}  // namespace tl
