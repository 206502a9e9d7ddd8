// The output pin of the push source and its streaming thread.
#pragma once
#include <windows.h>

#include <strmif.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "filter/com/interface_map.h"
#include "filter/dshow/base_pin.h"
#include "tools/tlvplay/mpeg_source.h"

namespace tl::tlvplay {

class PushSourcePin : public BasePin, public IMediaSeeking {
public:
    PushSourcePin(BaseFilter* filter, std::unique_ptr<MpegSource> source);
    ~PushSourcePin();

    static const com::InterfaceEntry* InterfaceMap();

    // IPin
    HRESULT STDMETHODCALLTYPE Connect(IPin* receivePin, const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // IMediaSeeking
    HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* capabilities) override;
    HRESULT STDMETHODCALLTYPE CheckCapabilities(DWORD* capabilities) override;
    HRESULT STDMETHODCALLTYPE IsFormatSupported(const GUID* format) override;
    HRESULT STDMETHODCALLTYPE QueryPreferredFormat(GUID* format) override;
    HRESULT STDMETHODCALLTYPE GetTimeFormat(GUID* format) override;
    HRESULT STDMETHODCALLTYPE IsUsingTimeFormat(const GUID* format) override;
    HRESULT STDMETHODCALLTYPE SetTimeFormat(const GUID* format) override;
    HRESULT STDMETHODCALLTYPE GetDuration(LONGLONG* duration) override;
    HRESULT STDMETHODCALLTYPE GetStopPosition(LONGLONG* stop) override;
    HRESULT STDMETHODCALLTYPE GetCurrentPosition(LONGLONG* current) override;
    HRESULT STDMETHODCALLTYPE ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                                const GUID* sourceFormat) override;
    HRESULT STDMETHODCALLTYPE SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                                           DWORD stopFlags) override;
    HRESULT STDMETHODCALLTYPE GetPositions(LONGLONG* current, LONGLONG* stop) override;
    HRESULT STDMETHODCALLTYPE GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    HRESULT STDMETHODCALLTYPE SetRate(double rate) override;
    HRESULT STDMETHODCALLTYPE GetRate(double* rate) override;
    HRESULT STDMETHODCALLTYPE GetPreroll(LONGLONG* preroll) override;

    // Filter transitions, under the filter lock.
    HRESULT Activate();
    void Deactivate();

protected:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    HRESULT ProposedTypes(std::vector<MediaType>* types) override;
    void BreakConnect() override;

private:
    HRESULT TryConnect(IPin* receivePin, const MediaType& type);
    HRESULT DecideAllocator();
    HRESULT UseAllocator(IMemAllocator* allocator, const ALLOCATOR_PROPERTIES& wanted);
    void StartStreaming();
    void StopStreaming();
    void Stream(REFERENCE_TIME segmentStart, REFERENCE_TIME segmentStop, double rate);

    std::unique_ptr<MpegSource> source_;
    MediaType type_;
    com::ComPtr<IMemInputPin> input_;
    com::ComPtr<IMemAllocator> allocator_;

    // The segment. Downstream filters ask for it from the streaming thread (a
    // renderer's seeking pass-through at the end of the stream) while a state change
    // may hold the filter lock and wait for that thread, so it has its own lock,
    // never held across a call out of the pin.
    std::mutex positionsLock_;
    REFERENCE_TIME segmentStart_ = 0;
    REFERENCE_TIME segmentStop_;
    double rate_ = 1.0;

    std::thread thread_;
    std::atomic<bool> stopping_{false};
};

}  // namespace tl::tlvplay
