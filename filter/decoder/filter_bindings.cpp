#include "filter/decoder/filter_bindings.h"

#include <cstring>

#include "filter/decoder/output_format.h"
#include "filter/decoder/sample_adapters.h"
#include "filter/dshow/media_type.h"

namespace tl {

std::int32_t FilterSettingsReader::frameSkippingToleranceMs() {
    unsigned int value = 500;
    filter_->get_FrameSkippingTolerance(&value);
    return std::int32_t(value);
}

int FilterSettingsReader::deinterlace() {
    tagDEINTERLACE value = DEINTERLACE_AUTO;
    filter_->get_Deinterlace(&value);
    return int(value);
}

ReferenceTime FilterSettingsReader::rendererLateness() {
    hyper value = 0;
    filter_->get_RendererLateness(&value);
    return value;
}

bool FilterSettingsReader::Flag(HRESULT (STDMETHODCALLTYPE IFilterVideoDecoder::*get)(VARIANT_BOOL*),
                                bool fallback) {
    VARIANT_BOOL value = fallback ? VARIANT_TRUE : VARIANT_FALSE;
    if (FAILED((filter_.Get()->*get)(&value))) return fallback;
    return value == VARIANT_TRUE;
}

std::int32_t FilterSettingsReader::Number(HRESULT (STDMETHODCALLTYPE IFilterVideoDecoder::*get)(unsigned int*)) {
    unsigned int value = 0;
    if (FAILED((filter_.Get()->*get)(&value))) return 0;
    return std::int32_t(value);
}

HResult OutputPinHost::changeOutputFormat(const std::int32_t size[2], const std::int32_t codedSize[2],
                                          const std::int32_t aspect[2], int chromaFormat,
                                          ReferenceTime framePeriod) {
    const LONG s[2] = {size[0], size[1]};
    const LONG c[2] = {codedSize[0], codedSize[1]};
    const LONG a[2] = {aspect[0], aspect[1]};
    return host_->ChangeOutputFormat(s, c, a, DWORD(chromaFormat), framePeriod);
}

HResult OutputPinHost::changeAspectRatio(const std::int32_t aspect[2]) {
    const LONG a[2] = {aspect[0], aspect[1]};
    return host_->ChangeAspectRatio(a);
}

HResult OutputPinHost::getDeliveryBuffer(OutputSample** sample, ReferenceTime* start, ReferenceTime* stop,
                                         std::uint32_t flags) {
    if (!sample) return hr::e_pointer;
    *sample = nullptr;
    IMediaSample* buffer = nullptr;
    REFERENCE_TIME s = start ? *start : 0, e = stop ? *stop : 0;
    const HRESULT result = host_->GetDeliveryBuffer(&buffer, start ? &s : nullptr, stop ? &e : nullptr, flags);
    if (FAILED(result)) return result;
    if (!buffer) return hr::e_fail;
    if (start) *start = s;
    if (stop) *stop = e;
    *sample = new OutputMediaSample(buffer, pin_.Get());
    buffer->Release();
    return result;
}

HResult OutputPinHost::deliver(OutputSample* sample) {
    if (!sample) return hr::e_pointer;
    return host_->Deliver(static_cast<OutputMediaSample*>(sample)->sample());
}

OutputFormat OutputPinHost::connectionFormat() {
    AM_MEDIA_TYPE type{};
    if (FAILED(pin_->ConnectionMediaType(&type))) {
        FreeMediaTypeContents(type);
        return {};
    }
    const OutputFormat format = OutputFormatOf(type);
    FreeMediaTypeContents(type);
    return format;
}

std::uint32_t OutputPinHost::dxvaSurfaceCount() {
    DWORD count = 0;
    return SUCCEEDED(host_->GetDxvaSurfaceCount(&count)) ? count : 0;
}

void OutputPinHost::dxvaCompBufferInfo(dxva::AMVACompBufferInfo (&info)[dxva::kCompBufferTypes]) {
    static_assert(sizeof info == kDxvaCompBufferInfoBytes);
    host_->GetDxvaCompBufferInfo(reinterpret_cast<BYTE*>(info));
}

void OutputPinHost::dxvaPictureDecodeConfig(dxva::DXVA_ConfigPictureDecode& config) {
    static_assert(sizeof config == kDxvaConfigBytes);
    host_->GetDxvaConfig(reinterpret_cast<BYTE*>(&config));
}

bool OutputPinHost::dxvaAlphaBlend(dxva::DXVA_ConfigAlphaLoad& load, dxva::DXVA_ConfigAlphaCombine& combine) {
    BOOL flag = FALSE;
    if (FAILED(host_->GetDxvaFlags(&flag, reinterpret_cast<BYTE*>(&load), reinterpret_cast<BYTE*>(&combine))))
        return false;
    return flag != FALSE;
}

DxvaAccelerator* OutputPinHost::dxvaAccelerator() {
    accelerator_.reset();
    com::ComPtr<IPin> peer;
    if (FAILED(pin_->ConnectedTo(peer.Out())) || !peer) return nullptr;
    com::ComPtr<dxva::IAMVideoAccelerator> accelerator;
    if (FAILED(peer->QueryInterface(dxva::kIID_IAMVideoAccelerator, accelerator.OutVoid())) || !accelerator)
        return nullptr;
    accelerator_ = std::make_unique<AcceleratorAdapter>(accelerator.Get());
    return accelerator_.get();
}

ClassId OutputPinHost::downstreamFilterClassId() {
    ClassId id{};
    com::ComPtr<IPin> peer;
    if (FAILED(pin_->ConnectedTo(peer.Out())) || !peer) return id;
    PIN_INFO info{};
    if (FAILED(peer->QueryPinInfo(&info))) return id;
    CLSID clsid{};
    if (info.pFilter) {
        if (SUCCEEDED(info.pFilter->GetClassID(&clsid))) std::memcpy(id.data(), &clsid, sizeof(clsid));
        info.pFilter->Release();
    }
    return id;
}

}  // namespace tl
