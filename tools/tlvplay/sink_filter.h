// The shape both of tlvplay's renderers share: one input pin, counted by the graph
// among the renderers whose EC_COMPLETE it waits for, and EC_COMPLETE sent once
// the stream has ended and the filter runs.
#pragma once
#include <evcode.h>
#include <uuids.h>

#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "filter/com/object.h"
#include "filter/dshow/base_filter.h"
#include "tools/tlvplay/frame_writer.h"

namespace tl::tlvplay {

// The allocator a sink's input pin offers and then uses: the upstream pin's
// choice when it notifies one, else a memory allocator made on first request.
class SinkAllocator {
public:
    HRESULT Get(std::recursive_mutex& lock, IMemAllocator** allocator) {
        if (!allocator) return E_POINTER;
        std::lock_guard<std::recursive_mutex> hold(lock);
        if (!allocator_) {
            const HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                                IID_IMemAllocator, allocator_.OutVoid());
            if (FAILED(hr)) return hr;
        }
        allocator_.CopyTo(allocator);
        return S_OK;
    }
    HRESULT Notify(std::recursive_mutex& lock, IMemAllocator* allocator) {
        if (!allocator) return E_POINTER;
        std::lock_guard<std::recursive_mutex> hold(lock);
        allocator_ = com::ComPtr<IMemAllocator>(allocator);
        return S_OK;
    }
    void Reset() { allocator_.Reset(); }

private:
    com::ComPtr<IMemAllocator> allocator_;
};

// Pin: constructed from (BaseFilter*, settings, counts); ResetStream() drops what
// a stopped stream leaves behind; its EndOfStream calls StreamEnded().
template <class Pin>
class SinkFilter : public BaseFilter, public IAMFilterMiscFlags {
public:
    template <class Settings>
    SinkFilter(const CLSID& clsid, const Settings& settings, std::shared_ptr<GrabberCounts> counts)
        : BaseFilter(clsid), counts_(counts), pin_(this, settings, std::move(counts)) {}

    static const com::InterfaceEntry* InterfaceMap() {
        static const com::InterfaceEntry map[] = {
            com::Entry<SinkFilter, IBaseFilter>(),
            com::Entry<SinkFilter, IMediaFilter, IBaseFilter>(),
            com::Entry<SinkFilter, IPersist, IBaseFilter>(),
            com::Entry<SinkFilter, IAMFilterMiscFlags>(),
            {nullptr, nullptr},
        };
        return map;
    }

    ULONG STDMETHODCALLTYPE GetMiscFlags() override { return AM_FILTER_MISC_FLAGS_IS_RENDERER; }

    void StreamEnded() {
        std::lock_guard<std::recursive_mutex> hold(Lock());
        ++counts_->endOfStreams;
        if (State() == State_Running) Complete();
        else endPending_ = true;
    }

protected:
    std::vector<IPin*> Pins() override { return {&pin_}; }
    void OnDeactivate() override {
        endPending_ = false;
        pin_.ResetStream();
    }
    void OnRun() override {
        if (endPending_) Complete();
        endPending_ = false;
    }

private:
    void Complete() { NotifyEvent(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this))); }

    std::shared_ptr<GrabberCounts> counts_;
    com::Embedded<Pin> pin_;
    bool endPending_ = false;
};

}  // namespace tl::tlvplay
