#include "tests/filter/recording_sink.h"

#include <chrono>

#include "filter/com/object.h"
#include "filter/dshow/base_filter.h"
#include "filter/dshow/base_pin.h"

namespace tl::test {

std::vector<SinkEvent> SinkLog::Events() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return events_;
}

bool SinkLog::WaitFor(const std::function<bool(const std::vector<SinkEvent>&)>& pred) {
    std::unique_lock<std::mutex> hold(mutex_);
    return changed_.wait_for(hold, std::chrono::seconds(60), [&] { return pred(events_); });
}

std::vector<MediaType> SinkLog::Types() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return types_;
}

void SinkLog::AddType(const AM_MEDIA_TYPE& type) {
    std::lock_guard<std::mutex> hold(mutex_);
    types_.emplace_back(type);
}

void SinkLog::Add(SinkEvent event) {
    std::lock_guard<std::mutex> hold(mutex_);
    events_.push_back(std::move(event));
    changed_.notify_all();
}

void SinkLog::SetHolding(bool hold) {
    std::lock_guard<std::mutex> lock(mutex_);
    holding_ = hold;
    changed_.notify_all();
}

void SinkLog::WaitWhileHolding(const std::atomic<bool>& flushing) {
    std::unique_lock<std::mutex> hold(mutex_);
    changed_.wait(hold, [&] { return !holding_ || flushing; });
}

void SinkLog::Wake() {
    std::lock_guard<std::mutex> hold(mutex_);
    changed_.notify_all();
}

namespace {

class RecordingPin : public BasePin, public IMemInputPin {
public:
    RecordingPin(BaseFilter* filter, std::shared_ptr<SinkLog> log)
        : BasePin(filter, L"In", PINDIR_INPUT), log_(std::move(log)) {}

    static const com::InterfaceEntry* InterfaceMap() {
        static const com::InterfaceEntry map[] = {
            com::Entry<RecordingPin, IPin>(), com::Entry<RecordingPin, IMemInputPin>(), {nullptr, nullptr}};
        return map;
    }

    HRESULT STDMETHODCALLTYPE Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override {
        if (!connector || !mt) return E_POINTER;
        std::lock_guard<std::recursive_mutex> hold(Filter().Lock());
        if (connection_.IsConnected() && (connection_.Peer() != connector || log_->refusesNewTypes))
            return VFW_E_ALREADY_CONNECTED;
        if (CheckMediaType(*mt) != S_OK) return VFW_E_TYPE_NOT_ACCEPTED;
        connection_.Set(connector, *mt);
        log_->AddType(*mt);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EndOfStream() override {
        log_->Add(SinkEvent(SinkEvent::EndOfStream));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE BeginFlush() override { return Flush(true); }
    HRESULT STDMETHODCALLTYPE EndFlush() override { return Flush(false); }
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override {
        SinkEvent event{SinkEvent::NewSegment};
        event.start = start;
        event.stop = stop;
        event.rate = rate;
        log_->Add(event);
        return S_OK;
    }

    // No allocator of its own: the source falls back to the system one.
    HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator**) override { return VFW_E_NO_ALLOCATOR; }
    HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator* allocator, BOOL) override {
        return allocator->GetProperties(&log_->allocator);
    }
    HRESULT STDMETHODCALLTYPE GetAllocatorRequirements(ALLOCATOR_PROPERTIES* props) override {
        *props = {2, 0, 16, 0};  // cBuffers, cbBuffer, cbAlign, cbPrefix
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override {
        if (flushing_) return S_FALSE;
        SinkEvent event{SinkEvent::Sample};
        event.timeResult = sample->GetTime(&event.start, &event.stop);
        event.syncPoint = sample->IsSyncPoint() == S_OK;
        event.discontinuity = sample->IsDiscontinuity() == S_OK;
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        event.bytes.assign(data, data + sample->GetActualDataLength());
        log_->Add(std::move(event));
        log_->WaitWhileHolding(flushing_);
        return flushing_ ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReceiveMultiple(IMediaSample**, long, long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override { return S_OK; }

    void Stopped() {
        flushing_ = true;  // releases a held Receive
        log_->Wake();
    }
    void Started() { flushing_ = false; }

protected:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override {
        return IsEqualGUID(log_->subtype, GUID_NULL) || IsEqualGUID(mt.subtype, log_->subtype) ? S_OK : S_FALSE;
    }
    HRESULT ProposedTypes(std::vector<MediaType>*) override { return S_OK; }

private:
    HRESULT Flush(bool begin) {
        flushing_ = begin;
        log_->Add(SinkEvent(begin ? SinkEvent::BeginFlush : SinkEvent::EndFlush));
        return S_OK;
    }

    std::shared_ptr<SinkLog> log_;
    std::atomic<bool> flushing_{false};
};

class RecordingSink : public BaseFilter {
public:
    explicit RecordingSink(std::shared_ptr<SinkLog> log) : BaseFilter(GUID_NULL), pin_(this, std::move(log)) {}

    static const com::InterfaceEntry* InterfaceMap() { return BaseFilterInterfaceMap<RecordingSink>(); }

protected:
    std::vector<IPin*> Pins() override { return {&pin_}; }
    HRESULT OnActivate() override {
        pin_.Started();
        return S_OK;
    }
    void OnDeactivate() override { pin_.Stopped(); }

private:
    com::Embedded<RecordingPin> pin_;
};

}  // namespace

HRESULT CreateRecordingSink(std::shared_ptr<SinkLog> log, IBaseFilter** out) {
    return com::CreateObject<RecordingSink>(IID_IBaseFilter, reinterpret_cast<void**>(out), std::move(log));
}

com::ComPtr<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION direction) {
    com::ComPtr<IEnumPins> pins;
    com::ComPtr<IPin> pin;
    filter->EnumPins(pins.Out());
    while (pins && pins->Next(1, pin.Out(), nullptr) == S_OK) {
        PIN_DIRECTION its;
        if (pin->QueryDirection(&its) == S_OK && its == direction) return pin;
    }
    return {};
}

}  // namespace tl::test
