// A source filter for graph tests: one output pin offering MPEG-2 video, whose
// samples the test pushes from its own thread.
#pragma once
#include <windows.h>

#include <dshow.h>
#include <dvdmedia.h>

#include <cstdint>
#include <string>
#include <vector>

#include "filter/com/com_ptr.h"
#include "filter/com/interface_map.h"
#include "filter/com/object.h"
#include "filter/dshow/base_filter.h"
#include "filter/dshow/base_pin.h"

namespace tl::test {

class TestSourcePin : public BasePin {
public:
    explicit TestSourcePin(BaseFilter* filter);
    static const com::InterfaceEntry* InterfaceMap();

    HRESULT STDMETHODCALLTYPE Connect(IPin* receivePin, const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE EndOfStream() override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE BeginFlush() override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE EndFlush() override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

    // Sends `bytes` in samples of at most `chunk` bytes, then end of stream.
    // Returns the first failing Receive result, else the EndOfStream result.
    HRESULT Push(const std::vector<std::uint8_t>& bytes, std::size_t chunk);
    // Receive of one sample of `bytes`, for tests of single calls.
    HRESULT PushOne(const std::uint8_t* bytes, std::size_t size);

    // The media type Connect proposes; the subtype can be changed by a test.
    AM_MEDIA_TYPE offered{};
    // The format block of `offered` when a test sets a picture size.
    VIDEOINFOHEADER2 format{};
    void SetPictureSize(int width, int height);

protected:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE&) override { return S_OK; }
    HRESULT ProposedTypes(std::vector<MediaType>* types) override {
        types->emplace_back(offered);
        return S_OK;
    }
    void BreakConnect() override;

private:
    com::ComPtr<IMemInputPin> input_;
    com::ComPtr<IMemAllocator> allocator_;
};

class TestSourceFilter : public BaseFilter {
public:
    TestSourceFilter() : BaseFilter(GUID_NULL), pin_(this) {}
    static const com::InterfaceEntry* InterfaceMap() { return BaseFilterInterfaceMap<TestSourceFilter>(); }
    TestSourcePin& Pin() { return pin_; }

protected:
    std::vector<IPin*> Pins() override { return {&pin_}; }

private:
    com::Embedded<TestSourcePin> pin_;
};

inline com::ComPtr<TestSourceFilter> CreateTestSource() {
    return com::ComPtr<TestSourceFilter>(new com::Object<TestSourceFilter>());
}

}  // namespace tl::test
