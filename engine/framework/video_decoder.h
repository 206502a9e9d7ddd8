// The decoder object: takes compressed samples from the upstream streaming
// thread, decodes them on its own worker thread and hands finished pictures
// to the host in display order.
//
// Threads: Receive and EndOfStream come from the streaming thread; Init,
// Uninit, Flush and SetRate from the application; OnLayerNotifyDirty from any
// layer writer; everything else, including every call into the host, runs on
// the worker. The queue lock (inside InputQueue) and the overlay lock are
// never held together.
#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "convert/dispatch.h"
#include "convert/procamp.h"
#include "convert/rgb_matrix.h"
#include "engine/dxva/dxva_decoding_path.h"
#include "engine/framework/bit_reader.h"
#include "engine/framework/damage_queue.h"
#include "engine/framework/decoding_path.h"
#include "engine/framework/host_interfaces.h"
#include "engine/framework/input_queue.h"
#include "engine/framework/overlay.h"
#include "engine/framework/picture_pool.h"
#include "engine/framework/sample_fetch.h"
#include "engine/framework/stream_info.h"
#include "engine/framework/stream_state.h"

namespace tl {

class VideoDecoder {
public:
    // The software decoding path is the slice layer unless a test supplies its
    // own. A DirectX VA connection decodes through the DXVA path instead.
    VideoDecoder();
    explicit VideoDecoder(std::unique_ptr<DecodingPath> path);
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;
    ~VideoDecoder();

    // IVideoDecoderEngine. The settings and the host must outlive Uninit.
    HResult Init(DecoderSettings* settings, DecoderHost* host);
    HResult Uninit();
    // Queues a sample with a reference; null queues the end-of-stream marker.
    // S_FALSE while flushing, VFW_E_WRONG_STATE when the worker does not run.
    HResult Receive(InputSample* sample);
    // Returns when every picture queued before it has been delivered.
    HResult EndOfStream();
    HResult Flush(bool begin);
    HResult SetRate(double rate);

    // ILayerMessageSink.
    HResult OnLayerNotifyDirty(const DamageRect* rects, int count);

    // IVideoDecoderMPEG2: a snapshot of the stream information and statistics.
    StreamInfo streamInfo() const;

    // IAMVideoProcAmp: brightness, contrast and saturation of RGB output. The
    // filter forwards its own interface here; calls may come from any thread.
    ProcAmpControl& procAmp() { return procAmp_; }

    // Conversion times are steady-clock ticks at this many per second.
    using ConversionClock = std::chrono::steady_clock;
    static constexpr std::int64_t kConversionClockFrequency =
        ConversionClock::period::den / ConversionClock::period::num;

    // Settings read at Init.
    std::uint32_t cpuFeatures() const { return cpuFeatures_; }
    ReferenceTime frameSkippingTolerance() const { return settingsSnapshot_.tolerance; }
    std::vector<DamageRect> damageQueue() const { return overlay_.damage(); }

private:
    struct SettingsSnapshot {
        bool frameSkipping = false;
        ReferenceTime tolerance = 5000000;  // 100-ns units
        int deinterlace = 0;
        bool alwaysDeinterlace = false;
        bool colorCorrection = true;
        bool errorConcealment = false;
        std::int32_t aspectX = 0;  // forced aspect, 0 = not forced
        std::int32_t aspectY = 0;
    };
    // What was last agreed with the host.
    struct Negotiated {
        std::int32_t codedWidth = 0, codedHeight = 0;
        std::int32_t chromaFormat = CHROMA_420;
        std::int32_t aspectX = 0, aspectY = 0;
        std::int32_t width = 0, height = 0;
    };

    void resetDecoderState();
    void workerMain();
    void runOnce();
    void refreshSettings();
    void publishInfo();

    // Picture stage (picture_stage.cpp).
    bool allocateBuffers();
    bool allocateSurfaces();
    DecodingPath& activePath() { return dxvaMode_ ? *dxvaPath_ : *path_; }
    HResult handlePicture();
    Picture* takeNewBuffer(bool reference);
    void releaseReference(Picture*& slot);
    void dropReferences();

    // Output stage (picture_output.cpp).
    // False when a DirectX VA connection refused the new format: the picture is skipped.
    bool renegotiate();
    void readConnection();
    void adoptOutputFormat();
    void followMatrixCoefficients();
    void outputPicture(Picture* picture);
    void deliverPicture(Picture& picture, int mode);
    void presentPicture(Picture& picture, int mode);
    Picture* blendLayers(Picture& picture);
    void convertSample(const Picture& picture, int mode, bool firstOfTwo, OutputSample& sample);
    void convertInto(const Picture& picture, int mode, bool firstOfTwo, std::uint8_t* buffer,
                     std::int32_t bufferBytes, int rowPitch, int bufferRows);
    void forcedOrStreamAspect(const Picture* picture, std::int32_t aspect[2]) const;

    std::unique_ptr<DecodingPath> path_;
    std::unique_ptr<DxvaDecodingPath> dxvaPath_;
    DecoderSettings* settings_ = nullptr;
    DecoderHost* host_ = nullptr;

    std::thread worker_;
    std::atomic<bool> running_{false};
    std::atomic<bool> flushing_{false};
    std::atomic<double> rate_{1.0};
    RunEnds runEnds_;
    std::uint64_t flushMarker_ = 0;  // the marker the current flush queued (0: none)
    ManualResetEvent workerEnded_;
    InputQueue queue_;

    Overlay overlay_;  // its lock guards only the damage queue
    OverlayPainter* layers_ = nullptr;  // the settings' layer tree, null without one

    // Worker state.
    StreamState stream_;
    BitReader reader_;
    bool discontinuityPending_ = false;
    SampleFetcher fetcher_;
    SettingsSnapshot settingsSnapshot_;
    std::uint32_t rawCpuFeatures_ = 0;
    std::uint32_t cpuFeatures_ = 0;

    OutputFormat connection_;
    bool dxvaMode_ = false;               // the connection is a DirectX VA subtype
    DxvaAccelerator* accelerator_ = nullptr;
    bool dxvaAlphaBlend_ = false;         // the accelerator blends the layer overlay
    std::int32_t alphaWidth_ = 0, alphaHeight_ = 0;  // its AYUV surface, 0: unlimited
    std::int32_t outputWidth_ = 0, outputHeight_ = 0;
    bool outputSupportsInterlace_ = false;
    std::int32_t outputFormatCode_ = OUTPUT_YUY2;
    std::int32_t bitsPerPixel_ = 16;
    ClassId downstreamClassId_{};
    Negotiated negotiated_;
    bool mediaTypeChangePending_ = false;

    ProcAmpControl procAmp_;
    std::int32_t procAmpMatrixCoefficients_ = 1;  // what procAmp_ was last told
    RgbMatrixBlock conversionMatrix_{};           // the worker's copy for one conversion

    PicturePool pool_;
    Picture* olderReference_ = nullptr;
    Picture* newerReference_ = nullptr;
    Picture* lastDelivered_ = nullptr;
    bool secondField_ = false;
    Picture* awaitingSecondField_ = nullptr;
    ReferenceTime pendingPictureTime_ = kNoTime;
    ReferenceTime outputClock_ = 0;
    std::string gopStructure_;
    int deinterlaceMode_ = 0;

    std::uint32_t frameNum_ = 0;
    std::uint32_t skippedFrames_ = 0;
    std::int64_t lastConversionTicks_ = 0;  // ConversionClock ticks
    std::int64_t lastImageSize_ = 0;

    mutable std::mutex infoMutex_;
    StreamInfo info_;
};

}  // namespace tl
