// "Video Out": offers the output types of the priority lists, screens the
// downstream filter against the allow and deny lists, sets up the downstream
// allocator, and serves the decoder's buffer, delivery and renegotiation
// requests. IMediaSeeking and IMediaPosition come from the filter's seeking
// pass-through object. A DirectX VA renderer asks it for its surfaces through
// IAMVideoAcceleratorNotify while it connects.
#pragma once
#include <windows.h>

#include <dshow.h>

#include <string>
#include <vector>

#include "filter/com/com_ptr.h"
#include "filter/com/interface_map.h"
#include "filter/dxva/dxva_declarations.h"
#include "filter/pins/pin_common.h"

namespace tl {

class FilterVideoDecoder;

inline constexpr wchar_t kOutputPinName[] = L"Video Out";

class OutputPin final : public DecoderPin, public IQualityControl, public dxva::IAMVideoAcceleratorNotify {
public:
    explicit OutputPin(FilterVideoDecoder& filter) : DecoderPin(filter, kOutputPinName, PINDIR_OUTPUT) {}
    OutputPin(const OutputPin&) = delete;
    OutputPin& operator=(const OutputPin&) = delete;
    static const com::InterfaceEntry* InterfaceMap();

    // IUnknown: the filter's reference count.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IPin
    HRESULT STDMETHODCALLTYPE Connect(IPin* receivePin, const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // IQualityControl
    HRESULT STDMETHODCALLTYPE Notify(IBaseFilter* sender, Quality quality) override;
    HRESULT STDMETHODCALLTYPE SetSink(IQualityControl* sink) override;

    // IAMVideoAcceleratorNotify
    HRESULT STDMETHODCALLTYPE GetUncompSurfacesInfo(const GUID* guid, dxva::AMVAUncompBufferInfo* info) override;
    HRESULT STDMETHODCALLTYPE SetUncompSurfacesInfo(DWORD actualSurfaces) override;
    HRESULT STDMETHODCALLTYPE GetCreateVideoAcceleratorData(const GUID* guid, DWORD* size, void** data) override;

    // The decoder's requests (IVideoDecoderHost), on its worker thread.
    HRESULT ChangeOutputFormat(const LONG* pictureSize, const LONG* codedSize, const LONG* aspect, DWORD chromaFormat,
                               REFERENCE_TIME framePeriod);
    HRESULT ChangeAspectRatio(const LONG* aspect);
    HRESULT GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop, DWORD flags);
    HRESULT Deliver(IMediaSample* sample);

    // State changes of the filter, under its lock: the allocator is committed
    // while the filter runs or is paused.
    void Activate();
    void Deactivate();

private:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    void BreakConnect() override;
    // The offered types in order; E_INVALIDARG when the lists name none.
    HRESULT ProposedTypes(std::vector<MediaType>* types) override;
    std::string OfferedCodeString();
    HRESULT AttemptType(IPin* receivePin, const AM_MEDIA_TYPE& type);
    HRESULT CompleteConnection();
    // The connected pin's IAMVideoAccelerator, or E_NOINTERFACE.
    HRESULT PeerAccelerator(com::ComPtr<dxva::IAMVideoAccelerator>* accelerator);
    HRESULT SetUpAllocator();
    void LetRendererStretch();

    com::ComPtr<IMemInputPin> downstreamInput_;
};

}  // namespace tl
