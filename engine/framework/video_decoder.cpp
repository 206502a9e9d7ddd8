#include "engine/framework/video_decoder.h"

#include <utility>

#include "engine/base/cpu_features.h"
#include "engine/framework/headers.h"
#include "engine/macroblock/software_decoding_path.h"

namespace tl {

VideoDecoder::VideoDecoder() : VideoDecoder(makeSoftwareDecodingPath()) {}

VideoDecoder::VideoDecoder(std::unique_ptr<DecodingPath> path)
    : path_(std::move(path)),
      dxvaPath_(makeDxvaDecodingPath()),
      fetcher_(SampleFetcher::Links{&worker_.queue(), &worker_.running(), &discontinuityPending_, &stream_}) {
    reader_.source = &fetcher_;
    rawCpuFeatures_ = cpuFeatureWord();
    cpuFeatures_ = rawCpuFeatures_;
    resetDecoderState();
}

VideoDecoder::~VideoDecoder() { Uninit(); }

void VideoDecoder::resetDecoderState() {
    ResetStreamState(stream_);
    conversion_.resetMatrixCoefficients(stream_.matrix_coefficients);
    statistics_.reset();
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
    if (worker_.started()) return hr::vfw_e_wrong_state;
    settings_ = settings;
    host_ = host;

    resetDecoderState();
    settingsSnapshot_.readTolerance(*settings_);
    downstreamClassId_ = host_->downstreamFilterClassId();
    layers_ = settings_->layers();

    cpuFeatures_ = rawCpuFeatures_;
    if (!settings_->cpuFeatureSSE()) cpuFeatures_ &= ~cpu_bit::sse;
    if (!settings_->cpuFeatureSSE2()) cpuFeatures_ &= ~cpu_bit::sse2;
    if (!settings_->cpuFeatureSSE3()) cpuFeatures_ &= ~cpu_bit::sse3;

    // Until the first sequence header the buffers take the size of the connection.
    readConnection();
    output_.agreeOnConnection();
    stream_.coded_width = output_.width();
    stream_.coded_height = output_.height();
    stream_.chroma_width = output_.width() / 2;
    stream_.chroma_height = output_.height() / 2;
    publishInfo();

    return worker_.start([this] { workerMain(); }) ? hr::ok : hr::e_fail;
}

HResult VideoDecoder::Uninit() {
    worker_.stop();
    pictures_.pool().free();
    pictures_.forgetAll();
    dxva_.accelerator = nullptr;
    fetcher_.releaseCurrent();
    reader_.reset();
    overlay_.release();
    layers_ = nullptr;
    output_.forget();
    host_ = nullptr;
    settings_ = nullptr;
    return hr::ok;
}

HResult VideoDecoder::Flush(bool begin) {
    worker_.flush(begin);
    return hr::ok;
}

HResult VideoDecoder::SetRate(double rate) {
    rate_ = rate;
    return hr::ok;
}

HResult VideoDecoder::OnLayerNotifyDirty(const DamageRect* rects, int count) {
    if (!rects && count > 0) return hr::e_pointer;
    overlay_.queueDamage(rects, count);
    worker_.queue().signalLayerDirty();
    return hr::ok;
}

void VideoDecoder::publishInfo() {
    DecoderStatistics::Outside outside;
    outside.aspectX = output_.agreed().aspectX;
    outside.aspectY = output_.agreed().aspectY;
    outside.deinterlace = deinterlaceMode_;
    outside.totalBytesRead = fetcher_.totalBytesRead();
    outside.errors = path_->errors() + dxvaPath_->errors();
    statistics_.publish(stream_, outside);
}

void VideoDecoder::workerMain() {
    // Without buffers nothing can be decoded; waiters then see the worker gone.
    if (allocateBuffers()) {
        while (worker_.running()) runOnce();
    }
    worker_.workerGone();
}

void VideoDecoder::runOnce() {
    reader_.reset();
    pictures_.dropReferences();
    pictures_.endFieldPair();
    discontinuityPending_ = true;
    pictures_.clearPendingTime();
    outputClock_ = 0;
    ++stream_.matrix_generation;  // the slice layer rebuilds its scaled matrices

    const HeaderLoopLinks links{&fetcher_.sampleTime(), pictures_.pendingTime(), pictures_.secondFieldFlag()};
    while (worker_.running()) {
        settingsSnapshot_.refresh(*settings_);
        HResult r = ParseHeaders(reader_, stream_, links);
        if (r != hr::ok) break;
        conversion_.followMatrixCoefficients(stream_.matrix_coefficients);
        if (stream_.horizontal_size && stream_.vertical_size && stream_.chroma_format) {
            r = handlePicture();
            if (failed(r)) break;
        }
        publishInfo();
    }

    if (pictures_.newer()) outputPicture(pictures_.newer());
    pictures_.dropReferences();
    publishInfo();
    worker_.runEnded();
}

}  // namespace tl
