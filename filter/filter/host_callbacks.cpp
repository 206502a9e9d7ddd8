#include "filter/filter/host_callbacks.h"

#include <cstring>

#include "filter/filter/filter_video_decoder.h"

namespace tl {

const com::InterfaceEntry* HostCallbacks::InterfaceMap() {
    static const com::InterfaceEntry map[] = {com::Entry<HostCallbacks, IVideoDecoderHost>(), {}};
    return map;
}

IUnknown* HostCallbacks::Owner() { return filter_.ControllingUnknown(); }

HRESULT STDMETHODCALLTYPE HostCallbacks::GetDxvaSurfaceCount(DWORD* count) {
    if (!count) return E_POINTER;
    *count = filter_.Dxva().surfaceCount;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostCallbacks::GetDxvaCompBufferInfo(BYTE* info) {
    if (!info) return E_POINTER;
    static_assert(sizeof filter_.Dxva().compBufferInfo == kDxvaCompBufferInfoBytes);
    std::memcpy(info, filter_.Dxva().compBufferInfo, kDxvaCompBufferInfoBytes);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostCallbacks::GetDxvaConfig(BYTE* config) {
    if (!config) return E_POINTER;
    static_assert(sizeof filter_.Dxva().config == kDxvaConfigBytes);
    std::memcpy(config, &filter_.Dxva().config, kDxvaConfigBytes);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostCallbacks::GetDxvaFlags(BOOL* alphaBlend, BYTE* loadConfig, BYTE* combineConfig) {
    if (!alphaBlend || !loadConfig || !combineConfig) return E_POINTER;
    const dxva::DxvaConnection& d = filter_.Dxva();
    static_assert(sizeof d.alphaLoadConfig == kDxvaAlphaLoadConfigBytes);
    static_assert(sizeof d.alphaCombineConfig == kDxvaAlphaCombineConfigBytes);
    *alphaBlend = d.alphaBlend ? TRUE : FALSE;
    std::memcpy(loadConfig, &d.alphaLoadConfig, kDxvaAlphaLoadConfigBytes);
    std::memcpy(combineConfig, &d.alphaCombineConfig, kDxvaAlphaCombineConfigBytes);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostCallbacks::ChangeOutputFormat(const LONG* pictureSize, const LONG* codedSize,
                                                            const LONG* aspect, DWORD chromaFormat,
                                                            REFERENCE_TIME framePeriod) {
    if (!pictureSize || !codedSize || !aspect) return E_POINTER;
    return filter_.Output().ChangeOutputFormat(pictureSize, codedSize, aspect, chromaFormat, framePeriod);
}

HRESULT STDMETHODCALLTYPE HostCallbacks::ChangeAspectRatio(const LONG* aspect) {
    if (!aspect) return E_POINTER;
    return filter_.Output().ChangeAspectRatio(aspect);
}

HRESULT STDMETHODCALLTYPE HostCallbacks::GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start,
                                                           REFERENCE_TIME* stop, DWORD flags) {
    return filter_.Output().GetDeliveryBuffer(sample, start, stop, flags);
}

HRESULT STDMETHODCALLTYPE HostCallbacks::Deliver(IMediaSample* sample) { return filter_.Output().Deliver(sample); }

}  // namespace tl
