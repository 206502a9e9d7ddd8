#include "test_source_filter.h"

#include <uuids.h>

#include <algorithm>
#include <cstring>

namespace tl::test {

TestSourcePin::TestSourcePin(BaseFilter* filter) : BasePin(filter, L"Out", PINDIR_OUTPUT) {
    offered.majortype = MEDIATYPE_Video;
    offered.subtype = MEDIASUBTYPE_MPEG2_VIDEO;
    offered.bFixedSizeSamples = FALSE;
    offered.lSampleSize = 1;
}

const com::InterfaceEntry* TestSourcePin::InterfaceMap() {
    static const com::InterfaceEntry map[] = {com::Entry<TestSourcePin, IPin>(), {}};
    return map;
}

HRESULT STDMETHODCALLTYPE TestSourcePin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* mt) {
    if (!receivePin) return E_POINTER;
    const AM_MEDIA_TYPE& type = mt ? *mt : offered;
    HRESULT hr = receivePin->ReceiveConnection(this, &type);
    if (FAILED(hr)) return hr;
    connection_.Set(receivePin, type);
    hr = receivePin->QueryInterface(IID_IMemInputPin, input_.OutVoid());
    if (SUCCEEDED(hr)) hr = input_->GetAllocator(allocator_.Out());
    ALLOCATOR_PROPERTIES wanted{4, 64 * 1024, 1, 0}, granted{};  // four buffers of 64 KiB
    if (SUCCEEDED(hr)) hr = allocator_->SetProperties(&wanted, &granted);
    if (SUCCEEDED(hr)) hr = input_->NotifyAllocator(allocator_.Get(), FALSE);
    if (FAILED(hr)) {
        receivePin->Disconnect();
        Disconnect();
    }
    return hr;
}

void TestSourcePin::BreakConnect() {
    allocator_.Reset();
    input_.Reset();
}

// As a demultiplexer announces the stream: a VIDEOINFOHEADER2 with the size.
void TestSourcePin::SetPictureSize(int width, int height) {
    format = {};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = height;
    format.rcSource = {0, 0, width, height};
    offered.formattype = FORMAT_VideoInfo2;
    offered.cbFormat = sizeof(format);
    offered.pbFormat = reinterpret_cast<BYTE*>(&format);
}

HRESULT TestSourcePin::PushOne(const std::uint8_t* bytes, std::size_t size) {
    if (!allocator_) return VFW_E_NOT_CONNECTED;
    allocator_->Commit();
    com::ComPtr<IMediaSample> sample;
    HRESULT hr = allocator_->GetBuffer(sample.Out(), nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    const std::size_t n = std::min<std::size_t>(size, std::size_t(sample->GetSize()));
    std::memcpy(data, bytes, n);
    sample->SetActualDataLength(long(n));
    return input_->Receive(sample.Get());
}

HRESULT TestSourcePin::Push(const std::vector<std::uint8_t>& bytes, std::size_t chunk) {
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
        const HRESULT hr = PushOne(bytes.data() + at, std::min(chunk, bytes.size() - at));
        if (hr != S_OK) return hr;
    }
    return connection_.Peer()->EndOfStream();
}

}  // namespace tl::test
