// The decoder object: takes compressed samples from the upstream streaming
// thread, decodes them on its own worker thread and hands finished pictures
// to the host in display order. It wires together the worker and its queue
// (worker_queue.h), the stream input, the pictures it holds
// (reference_pictures.h), the output connection (output_connection.h), the
// conversion into samples (sample_conversion.h), the layer overlay
// (overlay.h) and the statistics (decoder_statistics.h).
//
// Threads: Receive and EndOfStream come from the streaming thread; Init,
// Uninit, Flush and SetRate from the application; OnLayerNotifyDirty from any
// layer writer; everything else, including every call into the host, runs on
// the worker. The queue lock (inside InputQueue) and the overlay lock are
// never held together.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/dxva/dxva_decoding_path.h"
#include "engine/framework/bit_reader.h"
#include "engine/framework/damage_queue.h"
#include "engine/framework/decoder_statistics.h"
#include "engine/framework/decoding_path.h"
#include "engine/framework/host_interfaces.h"
#include "engine/framework/output_connection.h"
#include "engine/framework/overlay.h"
#include "engine/framework/reference_pictures.h"
#include "engine/framework/sample_conversion.h"
#include "engine/framework/sample_fetch.h"
#include "engine/framework/settings_snapshot.h"
#include "engine/framework/stream_info.h"
#include "engine/framework/stream_state.h"
#include "engine/framework/worker_queue.h"

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
    HResult Receive(InputSample* sample) { return worker_.receive(sample); }
    // Returns when every picture queued before it has been delivered.
    HResult EndOfStream() { return worker_.endOfStream(); }
    HResult Flush(bool begin);
    HResult SetRate(double rate);

    // ILayerMessageSink.
    HResult OnLayerNotifyDirty(const DamageRect* rects, int count);

    // IVideoDecoderMPEG2: a snapshot of the stream information and statistics.
    StreamInfo streamInfo() const { return statistics_.snapshot(); }

    // IAMVideoProcAmp: brightness, contrast and saturation of RGB output. The
    // filter forwards its own interface here; calls may come from any thread.
    ProcAmpControl& procAmp() { return conversion_.procAmp(); }

    // Settings read at Init.
    std::uint32_t cpuFeatures() const { return cpuFeatures_; }
    ReferenceTime frameSkippingTolerance() const { return settingsSnapshot_.tolerance; }
    std::vector<DamageRect> damageQueue() const { return overlay_.damage(); }

private:
    // What a DirectX VA connection agreed with its accelerator.
    struct DxvaOutput {
        DxvaAccelerator* accelerator = nullptr;
        bool alphaBlend = false;                  // the accelerator blends the layer overlay
        std::int32_t alphaWidth = 0, alphaHeight = 0;  // its AYUV surface, 0: unlimited
    };

    void resetDecoderState();
    void workerMain();
    void runOnce();
    void publishInfo();

    // Picture stage (picture_stage.cpp).
    bool allocateBuffers();
    bool allocateSurfaces();
    DecodingPath& activePath() { return output_.dxva() ? *dxvaPath_ : *path_; }
    HResult handlePicture();

    // Output stage (picture_output.cpp).
    // False when a DirectX VA connection refused the new format: the picture is skipped.
    bool renegotiate();
    void readConnection();
    void followOutputFormat(bool overlayFormChanged);
    void outputPicture(Picture* picture);
    void deliverPicture(Picture& picture, int mode);
    bool deliverSample(const Picture& picture, int mode, bool firstOfTwo, ReferenceTime& start,
                       ReferenceTime length);
    void presentPicture(Picture& picture, int mode);
    Picture* blendLayers(Picture& picture);
    void forcedOrStreamAspect(const Picture* picture, std::int32_t aspect[2]) const;

    std::unique_ptr<DecodingPath> path_;
    std::unique_ptr<DxvaDecodingPath> dxvaPath_;
    DecoderSettings* settings_ = nullptr;
    DecoderHost* host_ = nullptr;
    WorkerQueue worker_;
    std::atomic<double> rate_{1.0};

    // Input.
    StreamState stream_;
    BitReader reader_;
    bool discontinuityPending_ = false;
    SampleFetcher fetcher_;
    SettingsSnapshot settingsSnapshot_;
    std::uint32_t rawCpuFeatures_ = 0;
    std::uint32_t cpuFeatures_ = 0;

    // Pictures and output.
    ReferencePictures pictures_;
    OutputConnection output_;
    ClassId downstreamClassId_{};
    DxvaOutput dxva_;
    SampleConversion conversion_;
    Overlay overlay_;                   // its lock guards only the damage queue
    OverlayPainter* layers_ = nullptr;  // the settings' layer tree, null without one
    ReferenceTime outputClock_ = 0;
    int deinterlaceMode_ = 0;

    DecoderStatistics statistics_;
};

}  // namespace tl
