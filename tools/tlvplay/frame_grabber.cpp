#include "tools/tlvplay/frame_grabber.h"

#include <uuids.h>

#include "filter/com/object.h"
#include "filter/pins/receive_multiple.h"
#include "filter/dshow/base_pin.h"
#include "tools/tlvplay/media_guids.h"
#include "tools/tlvplay/sink_filter.h"

namespace tl::tlvplay {
namespace {


class GrabberPin : public BasePin, public IMemInputPin {
public:
    GrabberPin(BaseFilter* filter, const GrabberSettings& settings, std::shared_ptr<GrabberCounts> counts)
        : BasePin(filter, L"In", PINDIR_INPUT), settings_(settings), counts_(std::move(counts)) {}

    static const com::InterfaceEntry* InterfaceMap() {
        static const com::InterfaceEntry map[] = {
            com::Entry<GrabberPin, IPin>(),
            com::Entry<GrabberPin, IMemInputPin>(),
            {nullptr, nullptr},
        };
        return map;
    }

    HRESULT STDMETHODCALLTYPE Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }

    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override {
        if (!connector || !mt) return E_POINTER;
        std::lock_guard<std::recursive_mutex> hold(Filter().Lock());
        HRESULT hr = CheckConnectable(connector);
        if (FAILED(hr)) return hr;
        hr = CheckMediaType(*mt);
        if (hr != S_OK) return hr;
        connection_.Set(connector, *mt);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override {
        flushing_ = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EndFlush() override {
        flushing_ = false;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator** allocator) override {
        return allocator_.Get(Filter().Lock(), allocator);
    }
    HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator* allocator, BOOL) override {
        return allocator_.Notify(Filter().Lock(), allocator);
    }
    HRESULT STDMETHODCALLTYPE GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE ReceiveMultiple(IMediaSample** samples, long count, long* processed) override {
        return ReceiveEach(*this, samples, count, processed);
    }
    HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override { return S_FALSE; }

    void ResetStream() { flushing_ = false; }

protected:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override {
        if (!IsEqualGUID(mt.majortype, MEDIATYPE_Video) || !BitmapHeader(mt)) return VFW_E_TYPE_NOT_ACCEPTED;
        const OutputFormat* format = FindOutputFormat(mt.subtype);
        if (!format || (settings_.format && format != settings_.format)) return VFW_E_TYPE_NOT_ACCEPTED;
        return S_OK;
    }
    HRESULT ProposedTypes(std::vector<MediaType>*) override { return S_OK; }
    void BreakConnect() override { allocator_.Reset(); }

private:
    GrabberSettings settings_;
    std::shared_ptr<GrabberCounts> counts_;
    SinkAllocator allocator_;
    std::atomic<bool> flushing_{false};
};

using FrameGrabber = SinkFilter<GrabberPin>;

HRESULT GrabberPin::EndOfStream() {
    static_cast<FrameGrabber&>(Filter()).StreamEnded();
    return S_OK;
}

HRESULT GrabberPin::Receive(IMediaSample* sample) {
    if (!sample) return E_POINTER;
    if (flushing_) return S_FALSE;
    if (Filter().State() == State_Stopped) return VFW_E_WRONG_STATE;
    AM_MEDIA_TYPE* changed = nullptr;
    if (sample->GetMediaType(&changed) == S_OK && changed) {
        std::lock_guard<std::recursive_mutex> hold(Filter().Lock());
        connection_.Type().Assign(*changed);
        DeleteMediaType(changed);
    }
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data))) return E_POINTER;
    SaveNextFrame(settings_.directory, connection_.Type().Get(), data, sample->GetActualDataLength(), settings_.file,
                  counts_.get());
    return S_OK;
}

}  // namespace

HRESULT CreateFrameGrabber(const GrabberSettings& settings, std::shared_ptr<GrabberCounts> counts,
                           IBaseFilter** out) {
    if (!counts) return E_INVALIDARG;
    return com::CreateObject<FrameGrabber>(IID_IBaseFilter, reinterpret_cast<void**>(out), kClsidFrameGrabber,
                                           settings, std::move(counts));
}

}  // namespace tl::tlvplay
