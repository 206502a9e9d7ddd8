#include "reconnecting_sink.h"

#include <uuids.h>

namespace tl::test {

const com::InterfaceEntry* ReconnectingSinkPin::InterfaceMap() {
    static const com::InterfaceEntry map[] = {
        com::Entry<ReconnectingSinkPin, IPin>(), com::Entry<ReconnectingSinkPin, IMemInputPin>(), {}};
    return map;
}

HRESULT STDMETHODCALLTYPE ReconnectingSinkPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) {
    if (!connector || !mt) return E_POINTER;
    {
        std::lock_guard<std::recursive_mutex> hold(Filter().Lock());
        connection_.Set(connector, *mt);
    }
    MediaType copy;
    copy.Assign(*mt);
    std::lock_guard<std::mutex> hold(mutex_);
    types_.push_back(copy);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ReconnectingSinkPin::GetAllocator(IMemAllocator** allocator) {
    // A new allocator for every connection, so a reconnection gets buffers of its size.
    return CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                            reinterpret_cast<void**>(allocator));
}

HRESULT STDMETHODCALLTYPE ReconnectingSinkPin::NotifyAllocator(IMemAllocator* allocator, BOOL) {
    allocator_ = com::ComPtr<IMemAllocator>(allocator);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ReconnectingSinkPin::Receive(IMediaSample* sample) {
    std::lock_guard<std::mutex> hold(mutex_);
    sizes_.push_back(sample->GetActualDataLength());
    return S_OK;
}

std::vector<long> ReconnectingSinkPin::SampleSizes() {
    std::lock_guard<std::mutex> hold(mutex_);
    return sizes_;
}

std::vector<MediaType> ReconnectingSinkPin::Types() {
    std::lock_guard<std::mutex> hold(mutex_);
    return types_;
}

}  // namespace tl::test
