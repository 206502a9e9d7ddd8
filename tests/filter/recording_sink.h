// A sink filter for graph tests: one input pin that records every type it is
// given (by default it takes any, and a new one while connected, as the system
// video renderers do), every sample, flush, segment and end of stream. It can
// hold each sample in Receive until a flush or stop, as a paused renderer does.
#pragma once
#include <windows.h>

#include <strmif.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "filter/com/com_ptr.h"
#include "filter/dshow/media_type.h"

namespace tl::test {

struct SinkEvent {
    enum Kind { Sample, BeginFlush, EndFlush, NewSegment, EndOfStream };
    explicit SinkEvent(Kind k) : kind(k) {}

    Kind kind;
    REFERENCE_TIME start = 0;  // sample start or segment start
    REFERENCE_TIME stop = 0;
    HRESULT timeResult = S_OK;  // GetTime's answer for a sample
    bool syncPoint = false;
    bool discontinuity = false;
    double rate = 0;
    std::vector<BYTE> bytes;
};

class SinkLog {
public:
    std::vector<SinkEvent> Events() const;
    std::vector<MediaType> Types() const;  // given to ReceiveConnection, in order
    // Waits (at most a generous bound, so a broken source fails instead of hanging)
    // until pred holds for the events; true when it does.
    bool WaitFor(const std::function<bool(const std::vector<SinkEvent>&)>& pred);

    void Add(SinkEvent event);
    void AddType(const AM_MEDIA_TYPE& type);
    // While holding, Receive waits until a flush begins or the sink stops.
    void SetHolding(bool hold);
    void WaitWhileHolding(const std::atomic<bool>& flushing);
    void Wake();

    ALLOCATOR_PROPERTIES allocator{};  // what NotifyAllocator was given
    GUID subtype = GUID_NULL;          // the only subtype the pin takes, unless GUID_NULL
    bool refusesNewTypes = false;      // once connected, the pin takes no other type

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<SinkEvent> events_;
    std::vector<MediaType> types_;
    bool holding_ = false;
};

HRESULT CreateRecordingSink(std::shared_ptr<SinkLog> log, IBaseFilter** out);

// The first pin of `filter` that goes the way asked, or null.
com::ComPtr<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION direction);

}  // namespace tl::test
