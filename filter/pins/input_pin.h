// "Video In": takes the compressed stream and hands every sample, flush and end
// of stream straight to the decoder object, which queues them itself.
#pragma once
#include <windows.h>

#include <dshow.h>

#include <atomic>

#include "filter/com/interface_map.h"
#include "filter/pins/pin_common.h"

namespace tl {

class FilterVideoDecoder;

inline constexpr wchar_t kInputPinName[] = L"Video In";

class InputPin : public DecoderPin, public IMemInputPin, public IKsPropertySet {
public:
    explicit InputPin(FilterVideoDecoder& filter) : DecoderPin(filter, kInputPinName, PINDIR_INPUT) {}
    static const com::InterfaceEntry* InterfaceMap();

    // IPin
    HRESULT STDMETHODCALLTYPE Connect(IPin* receivePin, const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // IMemInputPin
    HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator** allocator) override;
    HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    HRESULT STDMETHODCALLTYPE GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE ReceiveMultiple(IMediaSample** samples, long count, long* processed) override;
    HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override;

    // IKsPropertySet
    HRESULT STDMETHODCALLTYPE Set(REFGUID set, DWORD id, void* instance, DWORD instanceLength, void* data,
                                  DWORD dataLength) override;
    HRESULT STDMETHODCALLTYPE Get(REFGUID set, DWORD id, void* instance, DWORD instanceLength, void* data,
                                  DWORD dataLength, DWORD* returned) override;
    HRESULT STDMETHODCALLTYPE QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

private:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    HRESULT ProposedTypes(std::vector<MediaType>* types) override;
    // Connection check and recording of the input format; connector is kept.
    HRESULT AcceptConnection(IPin* connector, const AM_MEDIA_TYPE& mt);

    bool readOnly_ = false;
    std::atomic<bool> flushing_{false};
};

}  // namespace tl
