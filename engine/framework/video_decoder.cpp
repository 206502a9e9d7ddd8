#include "engine/framework/video_decoder.h"

#include <cstdlib>
#include <system_error>

#include "engine/base/cpu_features.h"
#include "engine/framework/headers.h"
#include "engine/macroblock/software_decoding_path.h"

namespace tl {
namespace {

constexpr int kWorkerStopTimeoutMs = 10000;
constexpr int kEndOfStreamWaitSliceMs = 1000;
constexpr int kFlushEndTimeoutMs = 5000;

static_assert(VideoDecoder::ConversionClock::period::num == 1, "whole ticks per second");

}  // namespace

VideoDecoder::VideoDecoder() : VideoDecoder(makeSoftwareDecodingPath()) {}

VideoDecoder::VideoDecoder(std::unique_ptr<DecodingPath> path)
    : path_(std::move(path)),
      dxvaPath_(makeDxvaDecodingPath()),
      fetcher_(SampleFetcher::Links{&queue_, &running_, &discontinuityPending_, &stream_}) {
    reader_.source = &fetcher_;
    rawCpuFeatures_ = cpuFeatureWord();
    cpuFeatures_ = rawCpuFeatures_;
    resetDecoderState();
}

VideoDecoder::~VideoDecoder() { Uninit(); }

void VideoDecoder::resetDecoderState() {
    ResetStreamState(stream_);
    // The colour description is back at its default; the ProcAmp values stay.
    procAmpMatrixCoefficients_ = stream_.matrix_coefficients;
    procAmp_.setMatrixCoefficients(procAmpMatrixCoefficients_);
    gopStructure_.clear();
    frameNum_ = 0;
    skippedFrames_ = 0;
    lastConversionTicks_ = 0;
    lastImageSize_ = 0;
    fetcher_.resetTotalBytesRead();
    path_->resetErrors();
    dxvaPath_->resetErrors();
    settingsSnapshot_ = SettingsSnapshot{};
    rate_ = 1.0;
    deinterlaceMode_ = 0;
    publishInfo();
}

HResult VideoDecoder::Init(DecoderSettings* settings, DecoderHost* host) {
    if (!settings || !host) return hr::e_pointer;
    if (worker_.joinable()) return hr::vfw_e_wrong_state;
    settings_ = settings;
    host_ = host;
    queue_.clear();
    runEnds_.restart();
    flushMarker_ = 0;
    workerEnded_.reset();
    flushing_ = false;

    resetDecoderState();
    settingsSnapshot_.tolerance = ReferenceTime(settings_->frameSkippingToleranceMs()) * 10000;
    downstreamClassId_ = host_->downstreamFilterClassId();
    layers_ = settings_->layers();

    cpuFeatures_ = rawCpuFeatures_;
    if (!settings_->cpuFeatureSSE()) cpuFeatures_ &= ~cpu_bit::sse;
    if (!settings_->cpuFeatureSSE2()) cpuFeatures_ &= ~cpu_bit::sse2;
    if (!settings_->cpuFeatureSSE3()) cpuFeatures_ &= ~cpu_bit::sse3;

    // Until the first sequence header the buffers take the size of the connection.
    readConnection();
    negotiated_ = Negotiated{};
    negotiated_.width = outputWidth_;
    negotiated_.height = outputHeight_;
    negotiated_.aspectX = std::int32_t(connection_.aspectX);
    negotiated_.aspectY = std::int32_t(connection_.aspectY);
    stream_.coded_width = outputWidth_;
    stream_.coded_height = outputHeight_;
    stream_.chroma_width = outputWidth_ / 2;
    stream_.chroma_height = outputHeight_ / 2;
    publishInfo();

    running_ = true;
    try {
        worker_ = std::thread(&VideoDecoder::workerMain, this);
    } catch (const std::system_error&) {
        running_ = false;
        return hr::e_fail;
    }
    return hr::ok;
}

HResult VideoDecoder::Uninit() {
    running_ = false;
    queue_.signalWake();
    if (worker_.joinable()) {
        // A worker stuck in a host call past the limit is abandoned, as the
        // thread handle would be closed regardless.
        if (workerEnded_.waitFor(kWorkerStopTimeoutMs))
            worker_.join();
        else
            worker_.detach();
    }
    pool_.free();
    accelerator_ = nullptr;
    olderReference_ = newerReference_ = lastDelivered_ = awaitingSecondField_ = nullptr;
    fetcher_.releaseCurrent();
    reader_.reset();
    queue_.clear();
    overlay_.release();
    layers_ = nullptr;
    connection_ = OutputFormat{};
    host_ = nullptr;
    settings_ = nullptr;
    return hr::ok;
}

HResult VideoDecoder::Receive(InputSample* sample) {
    if (flushing_) return hr::s_false;
    if (!running_) return hr::vfw_e_wrong_state;
    queue_.push(sample);
    return hr::ok;
}

HResult VideoDecoder::EndOfStream() {
    if (flushing_) return hr::s_false;
    if (!running_) return hr::vfw_e_wrong_state;
    const std::uint64_t marker = queue_.push(nullptr);
    while (running_ && !runEnds_.waitFor(marker, kEndOfStreamWaitSliceMs)) {
    }
    return hr::ok;
}

HResult VideoDecoder::Flush(bool begin) {
    if (begin) {
        const std::uint64_t marker = queue_.discardAllAndMarkEnd([this] {
            const bool marked = !flushing_ && running_;
            flushing_ = true;
            return marked;
        });
        if (marker) flushMarker_ = marker;
    } else {
        if (flushMarker_) runEnds_.waitFor(flushMarker_, kFlushEndTimeoutMs);
        flushMarker_ = 0;
        flushing_ = false;
    }
    return hr::ok;
}

HResult VideoDecoder::SetRate(double rate) {
    rate_ = rate;
    return hr::ok;
}

HResult VideoDecoder::OnLayerNotifyDirty(const DamageRect* rects, int count) {
    if (!rects && count > 0) return hr::e_pointer;
    overlay_.queueDamage(rects, count);
    queue_.signalLayerDirty();
    return hr::ok;
}

StreamInfo VideoDecoder::streamInfo() const {
    std::lock_guard<std::mutex> lock(infoMutex_);
    return info_;
}

void VideoDecoder::publishInfo() {
    StreamInfo i;
    const StreamState& s = stream_;
    i.chromaFormat = s.chroma_format;
    i.pictureStructure = s.picture_structure;
    i.profile = s.profile;
    i.level = s.level;
    i.videoFormat = s.video_format;
    i.aspectRatioInformation = s.aspect_ratio_information;
    i.aspectRatioX = negotiated_.aspectX;
    i.aspectRatioY = negotiated_.aspectY;
    i.bitRate = std::int64_t(s.bit_rate) * 400;
    i.frameRate = double(s.frame_rate_value) / 1001.0;
    i.sizeX = s.horizontal_size;
    i.sizeY = s.vertical_size;
    i.codedSizeX = s.coded_width;
    i.codedSizeY = s.coded_height;
    i.displaySizeX = s.display_horizontal_size;
    i.displaySizeY = s.display_vertical_size;
    i.progressiveSequence = s.progressive_sequence != 0;
    i.progressiveFrame = s.progressive_frame != 0;
    i.deinterlace = deinterlaceMode_;
    i.gopHours = s.time_code_hours;
    i.gopMinutes = s.time_code_minutes;
    i.gopSeconds = s.time_code_seconds;
    i.gopPictures = s.time_code_pictures;
    i.gopStructure = gopStructure_;
    i.colourPrimaries = s.colour_primaries;
    i.matrixCoefficients = s.matrix_coefficients;
    i.frameNum = frameNum_;
    i.numberOfFrameCentreOffsets = s.number_of_frame_centre_offsets;
    for (int k = 0; k < 3; ++k) {
        i.frameCentreHorizontalOffset[k] = s.frame_centre_horizontal_offset[k];
        i.frameCentreVerticalOffset[k] = s.frame_centre_vertical_offset[k];
    }
    i.totalBytesRead = fetcher_.totalBytesRead();
    i.rendererPerformance =
        lastConversionTicks_ > 0 ? lastImageSize_ * kConversionClockFrequency / lastConversionTicks_ : 0;
    i.skippedFrames = skippedFrames_;
    i.errors = path_->errors() + dxvaPath_->errors() + s.unknown_extensions;
    std::lock_guard<std::mutex> lock(infoMutex_);
    info_ = std::move(i);
}

void VideoDecoder::refreshSettings() {
    SettingsSnapshot& s = settingsSnapshot_;
    s.alwaysDeinterlace = settings_->alwaysDeinterlace();
    s.colorCorrection = settings_->colorCorrection();
    s.deinterlace = settings_->deinterlace();
    s.aspectX = settings_->aspectRatioX();
    s.aspectY = settings_->aspectRatioY();
    s.frameSkipping = settings_->frameSkipping();
    s.errorConcealment = settings_->errorConcealment();
}

// A sequence display extension with other colour coefficients rebuilds the
// RGB matrix; pictures converted from then on use them.
void VideoDecoder::followMatrixCoefficients() {
    if (stream_.matrix_coefficients == procAmpMatrixCoefficients_) return;
    procAmpMatrixCoefficients_ = stream_.matrix_coefficients;
    procAmp_.setMatrixCoefficients(procAmpMatrixCoefficients_);
}

void VideoDecoder::workerMain() {
    if (!allocateBuffers()) {
        // Nothing can be decoded; let waiters see that the worker is gone.
        running_ = false;
        runEnds_.workerGone();
        workerEnded_.set();
        return;
    }
    while (running_) runOnce();
    runEnds_.workerGone();
    workerEnded_.set();
}

void VideoDecoder::runOnce() {
    reader_.reset();
    dropReferences();
    secondField_ = false;
    awaitingSecondField_ = nullptr;
    discontinuityPending_ = true;
    pendingPictureTime_ = kNoTime;
    outputClock_ = 0;
    ++stream_.matrix_generation;  // the slice layer rebuilds its scaled matrices

    const HeaderLoopLinks links{&fetcher_.sampleTime(), &pendingPictureTime_, &secondField_};
    while (running_) {
        refreshSettings();
        HResult r = ParseHeaders(reader_, stream_, links);
        if (r != hr::ok) break;
        followMatrixCoefficients();
        if (stream_.horizontal_size && stream_.vertical_size && stream_.chroma_format) {
            r = handlePicture();
            if (failed(r)) break;
        }
        publishInfo();
    }

    if (newerReference_) outputPicture(newerReference_);
    dropReferences();
    publishInfo();
    runEnds_.ended(queue_.poppedMarker());
}

}  // namespace tl
