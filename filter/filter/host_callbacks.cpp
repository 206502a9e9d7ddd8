#include "filter/filter/host_callbacks.h"

#include <cstring>

#include "filter/filter/filter_video_decoder.h"

namespace tl {

const com::InterfaceEntry* HostCallbacks::InterfaceMap() {
    static const com::InterfaceEntry map[] = {com::Entry<HostCallbacks, IVideoDecoderHost>(), {}};
    return map;
}

IUnknown* HostCallbacks::Owner() { return filter_.ControllingUnknown(); }

// No DXVA connection is ever configured here, so the negotiation results the
// decoder asks for are the empty ones.
HRESULT STDMETHODCALLTYPE HostCallbacks::GetDxvaSurfaceCount(DWORD* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostCallbacks::GetDxvaCompBufferInfo(BYTE* info) {
    if (!info) return E_POINTER;
    std::memset(info, 0, kDxvaCompBufferInfoBytes);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostCallbacks::GetDxvaConfig(BYTE* config) {
    if (!config) return E_POINTER;
    std::memset(config, 0, kDxvaConfigBytes);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostCallbacks::GetDxvaFlags(BOOL* alphaBlend, BYTE* loadConfig, BYTE* combineConfig) {
    if (!alphaBlend || !loadConfig || !combineConfig) return E_POINTER;
    *alphaBlend = FALSE;
    std::memset(loadConfig, 0, kDxvaAlphaLoadConfigBytes);
    std::memset(combineConfig, 0, kDxvaAlphaCombineConfigBytes);
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
