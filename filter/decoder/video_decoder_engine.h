// The two internal interfaces between the filter and its decoder object. Neither
// is in the type library: the filter drives the decoder through
// IVideoDecoderEngine, and the decoder's worker thread calls back into the
// output side through IVideoDecoderHost.
#pragma once
#include <windows.h>

#include <dshow.h>
#include <unknwn.h>

#include "engine/dxva/dxva_structures.h"

struct IVideoDecoderHost;

struct IVideoDecoderEngine : public IUnknown {
    // filter: any interface of the filter (the decoder asks it for
    // IFilterVideoDecoder); outputPin: the filter's "Video Out".
    virtual HRESULT STDMETHODCALLTYPE Init(IUnknown* filter, IVideoDecoderHost* host, IPin* outputPin) = 0;
    virtual HRESULT STDMETHODCALLTYPE Uninit() = 0;
    // A null sample queues the end-of-stream marker.
    virtual HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) = 0;
    // Returns once every picture queued before it has been delivered.
    virtual HRESULT STDMETHODCALLTYPE EndOfStream() = 0;
    virtual HRESULT STDMETHODCALLTYPE Flush(bool begin) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRate(double rate) = 0;
    // Pictures decoded but not delivered because the renderer kept a smaller size.
    virtual HRESULT STDMETHODCALLTYPE GetUndeliveredFrames(LONG* count) = 0;
};
__CRT_UUID_DECL(IVideoDecoderEngine, 0x1f350cd1, 0xc761, 0x4193, 0x9f, 0x2b, 0x8c, 0xfd, 0xf5, 0x1c, 0x29, 0x98)

// Sizes of the DXVA negotiation results the host hands to the decoder: the
// core's records of them, byte for byte.
inline constexpr unsigned kDxvaCompBufferInfoBytes =
    tl::dxva::kCompBufferTypes * sizeof(tl::dxva::AMVACompBufferInfo);
inline constexpr unsigned kDxvaConfigBytes = sizeof(tl::dxva::DXVA_ConfigPictureDecode);
inline constexpr unsigned kDxvaAlphaLoadConfigBytes = sizeof(tl::dxva::DXVA_ConfigAlphaLoad);
inline constexpr unsigned kDxvaAlphaCombineConfigBytes = sizeof(tl::dxva::DXVA_ConfigAlphaCombine);

struct IVideoDecoderHost : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetDxvaSurfaceCount(DWORD* count) = 0;
    // Copies kDxvaCompBufferInfoBytes.
    virtual HRESULT STDMETHODCALLTYPE GetDxvaCompBufferInfo(BYTE* info) = 0;
    // Copies kDxvaConfigBytes.
    virtual HRESULT STDMETHODCALLTYPE GetDxvaConfig(BYTE* config) = 0;
    // Copies the alpha-blend flag and both alpha-blend configurations.
    virtual HRESULT STDMETHODCALLTYPE GetDxvaFlags(BOOL* alphaBlend, BYTE* loadConfig, BYTE* combineConfig) = 0;
    // pictureSize, codedSize and aspect are pairs; chromaFormat 1 4:2:0, 2 4:2:2,
    // 3 4:4:4; framePeriod in 100-ns units, 0 when unknown.
    virtual HRESULT STDMETHODCALLTYPE ChangeOutputFormat(const LONG* pictureSize, const LONG* codedSize,
                                                         const LONG* aspect, DWORD chromaFormat,
                                                         REFERENCE_TIME framePeriod) = 0;
    virtual HRESULT STDMETHODCALLTYPE ChangeAspectRatio(const LONG* aspect) = 0;
    // flags: 0, or AM_GBF_NOTASYNCPOINT for the second field of double-rate output.
    virtual HRESULT STDMETHODCALLTYPE GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start,
                                                        REFERENCE_TIME* stop, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Deliver(IMediaSample* sample) = 0;
};
__CRT_UUID_DECL(IVideoDecoderHost, 0x1f350cd2, 0xc761, 0x4193, 0x9f, 0x2b, 0x8c, 0xfd, 0xf5, 0x1c, 0x29, 0x98)
