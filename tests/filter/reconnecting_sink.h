// A renderer-like sink for graph tests: like the system video renderers, its pin
// takes a new media type while connected, so the filter's renegotiation can
// succeed. It records the size of every sample and the types it was given.
#pragma once
#include <windows.h>

#include <dshow.h>

#include <mutex>
#include <vector>

#include "filter/com/com_ptr.h"
#include "filter/com/interface_map.h"
#include "filter/dshow/media_type.h"
#include "tests/filter/one_pin_filter.h"
#include "filter/dshow/base_pin.h"

namespace tl::test {

class ReconnectingSinkPin : public BasePin, public IMemInputPin {
public:
    explicit ReconnectingSinkPin(BaseFilter* filter) : BasePin(filter, L"In", PINDIR_INPUT) {}
    static const com::InterfaceEntry* InterfaceMap();

    HRESULT STDMETHODCALLTYPE Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE BeginFlush() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EndFlush() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator** allocator) override;
    HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator* allocator, BOOL) override;
    HRESULT STDMETHODCALLTYPE GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE ReceiveMultiple(IMediaSample**, long, long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override { return S_FALSE; }

    std::vector<long> SampleSizes();
    // The types given to ReceiveConnection, in order.
    std::vector<MediaType> Types();

protected:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE&) override { return S_OK; }
    HRESULT ProposedTypes(std::vector<MediaType>*) override { return S_OK; }
    void BreakConnect() override { allocator_.Reset(); }

private:
    com::ComPtr<IMemAllocator> allocator_;
    std::mutex mutex_;
    std::vector<long> sizes_;
    std::vector<MediaType> types_;
};

using ReconnectingSink = OnePinFilter<ReconnectingSinkPin>;

inline com::ComPtr<ReconnectingSink> CreateReconnectingSink() { return CreateOnePinFilter<ReconnectingSinkPin>(); }

}  // namespace tl::test
