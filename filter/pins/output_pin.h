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

// The type the decoder converts into, asked of the output pin by the decoder's
// host binding: the connection type, or while pictures are fitted into a
// connection that kept another size, a type of the picture's size.
struct IDecoderOutputType : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetDecoderOutputType(AM_MEDIA_TYPE* type) = 0;
};
// {6B0F3E1C-9A27-4C55-8D3E-51C7A2B94F60}
inline constexpr GUID kIID_IDecoderOutputType = {
    0x6b0f3e1c, 0x9a27, 0x4c55, {0x8d, 0x3e, 0x51, 0xc7, 0xa2, 0xb9, 0x4f, 0x60}};

class OutputPin final : public DecoderPin,
                        public IQualityControl,
                        public dxva::IAMVideoAcceleratorNotify,
                        public IDecoderOutputType {
public:
    explicit OutputPin(FilterVideoDecoder& filter)
        : DecoderPin(filter, kOutputPinName, PINDIR_OUTPUT), stopped_(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}
    ~OutputPin() { CloseHandle(stopped_); }
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
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // IQualityControl
    HRESULT STDMETHODCALLTYPE Notify(IBaseFilter* sender, Quality quality) override;
    HRESULT STDMETHODCALLTYPE SetSink(IQualityControl* sink) override;

    // IAMVideoAcceleratorNotify
    HRESULT STDMETHODCALLTYPE GetUncompSurfacesInfo(const GUID* guid, dxva::AMVAUncompBufferInfo* info) override;
    HRESULT STDMETHODCALLTYPE SetUncompSurfacesInfo(DWORD actualSurfaces) override;
    HRESULT STDMETHODCALLTYPE GetCreateVideoAcceleratorData(const GUID* guid, DWORD* size, void** data) override;

    // IDecoderOutputType
    HRESULT STDMETHODCALLTYPE GetDecoderOutputType(AM_MEDIA_TYPE* type) override;

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
    bool Accepts(const AM_MEDIA_TYPE& mt) override;
    void ReleaseConnectionResources() override;
    // The offered types in order; E_INVALIDARG when the lists name none.
    HRESULT OfferedTypes(std::vector<MediaType>* types);
    std::string OfferedCodeString();
    HRESULT AttemptType(IPin* receivePin, const AM_MEDIA_TYPE& type);
    HRESULT CompleteConnection();
    // The connected pin's IAMVideoAccelerator, or E_NOINTERFACE.
    HRESULT PeerAccelerator(com::ComPtr<dxva::IAMVideoAccelerator>* accelerator);
    HRESULT SetUpAllocator();
    void LetRendererStretch();
    // A size change the connected pin would not take: the graph reconnects the
    // pins with `type`, or else pictures go on in the connected size, fitted.
    HRESULT ReconnectThroughGraph(const AM_MEDIA_TYPE& type);
    HRESULT FitIntoConnection(const AM_MEDIA_TYPE& picture);
    void StopFitting();
    HRESULT DeliverFitted(IMediaSample* picture);
    HRESULT GetDeliveryBufferFrom(const com::ComPtr<IMemAllocator>& allocator, IMediaSample** sample,
                                  REFERENCE_TIME* start, REFERENCE_TIME* stop, DWORD flags);

    com::ComPtr<IMemInputPin> downstreamInput_;
    // While fitting: the decoder's type and the allocator of its buffers. Set
    // and read on the decoder's worker thread; dropped with the connection.
    MediaType pictureType_;
    com::ComPtr<IMemAllocator> pictureAllocator_;
    // Signalled while the filter is stopped, so a reconnection the worker
    // waits for gives up when the graph stops.
    HANDLE stopped_ = nullptr;
};

}  // namespace tl
