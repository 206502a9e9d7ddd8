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
#include "filter/pins/pin_common.h"

namespace tl::test {

class TestSourceFilter;

class TestSourcePin : public IPin {
public:
    explicit TestSourcePin(TestSourceFilter& filter) : filter_(filter) {}
    static const com::InterfaceEntry* InterfaceMap();
    IUnknown* Owner();

    HRESULT STDMETHODCALLTYPE Connect(IPin* receivePin, const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE Disconnect() override;
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override { return connection_.ConnectedTo(pin); }
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* mt) override {
        return connection_.ConnectionMediaType(mt);
    }
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override;
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* direction) override;
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) override;
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) override;
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
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

private:
    TestSourceFilter& filter_;
    PinConnection connection_;
    com::ComPtr<IMemInputPin> input_;
    com::ComPtr<IMemAllocator> allocator_;
};

class TestSourceFilter : public IBaseFilter {
public:
    TestSourceFilter();
    static const com::InterfaceEntry* InterfaceMap();
    virtual IUnknown* ControllingUnknown() = 0;

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE* state) override;
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override;
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override;
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** pin) override;
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR) override;
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }

    TestSourcePin& Pin() { return pin_; }

private:
    FILTER_STATE state_ = State_Stopped;
    IFilterGraph* graph_ = nullptr;
    com::Embedded<TestSourcePin> pin_;
};

// A new source filter with one reference.
com::ComPtr<TestSourceFilter> CreateTestSource();

}  // namespace tl::test
