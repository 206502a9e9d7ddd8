// IVideoDecoderHost on the filter: the decoder's worker asks the output pin for
// buffers, delivery and renegotiation through it. Not given out by
// QueryInterface; the filter hands it to the decoder at Init.
#pragma once
#include "filter/com/interface_map.h"
#include "filter/decoder/video_decoder_engine.h"

namespace tl {

class FilterVideoDecoder;

class HostCallbacks : public IVideoDecoderHost {
public:
    explicit HostCallbacks(FilterVideoDecoder& filter) : filter_(filter) {}
    static const com::InterfaceEntry* InterfaceMap();
    IUnknown* Owner();

    HRESULT STDMETHODCALLTYPE GetDxvaSurfaceCount(DWORD* count) override;
    HRESULT STDMETHODCALLTYPE GetDxvaCompBufferInfo(BYTE* info) override;
    HRESULT STDMETHODCALLTYPE GetDxvaConfig(BYTE* config) override;
    HRESULT STDMETHODCALLTYPE GetDxvaFlags(BOOL* alphaBlend, BYTE* loadConfig, BYTE* combineConfig) override;
    HRESULT STDMETHODCALLTYPE ChangeOutputFormat(const LONG* pictureSize, const LONG* codedSize, const LONG* aspect,
                                                 DWORD chromaFormat, REFERENCE_TIME framePeriod) override;
    HRESULT STDMETHODCALLTYPE ChangeAspectRatio(const LONG* aspect) override;
    HRESULT STDMETHODCALLTYPE GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop,
                                                DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Deliver(IMediaSample* sample) override;

private:
    FilterVideoDecoder& filter_;
};

}  // namespace tl
