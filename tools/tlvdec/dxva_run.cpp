#include "tools/tlvdec/dxva_run.h"

#include <atomic>
#include <cinttypes>
#include <vector>

#include "convert/dispatch.h"
#include "convert/rgb_matrix.h"
#include "engine/base/cpu_features.h"
#include "engine/framework/sample_flags.h"
#include "engine/framework/video_decoder.h"
#include "tools/common/md5.h"
#include "tools/common/pes_header.h"
#include "tools/dxva_soft/soft_host.h"

namespace tl::tlvdec {
namespace {

// Samples the decoder may hold at once, like an upstream allocator's buffers.
constexpr int kSamplesInFlight = 8;
// A busy driver: now and then a frame is not ready at the first asking.
constexpr int kPendingEvery = 7;

// Writes each displayed surface at its visible size, as the planar layout or
// converted to a format as a renderer would (BT.709, no ProcAmp, fields woven),
// and prints the digest of those bytes.
class SurfaceWriter {
public:
    SurfaceWriter(int format, std::FILE* pictures, std::FILE* digests, std::FILE* log, std::int64_t maxPictures)
        : format_(format), pictures_(pictures), digests_(digests), log_(log), maxPictures_(maxPictures),
          matrix_(buildRgbMatrix(1, 0, 0, 0)) {}

    bool limitReached() const { return maxPictures_ >= 0 && shown_ >= maxPictures_; }
    std::int64_t shown() const { return shown_; }
    bool writeFailed() const { return writeFailed_; }

    void show(const dxva_soft::ShownPicture& shown) {
        if (limitReached()) return;
        const OutputSample::Properties& p = shown.properties;
        if (log_)
            std::fprintf(log_, "%" PRId64 " %c %" PRId64 " %" PRId64 " 0x%" PRIx32 "\n", std::int64_t(shown_),
                         "?IPBD"[p.pictureType >= 1 && p.pictureType <= 4 ? p.pictureType : 0], p.start, p.stop,
                         p.flags);
        ++shown_;
        if ((!pictures_ && !digests_) || writeFailed_ || shown.width <= 0 || shown.height <= 0) return;

        Picture picture;
        picture.width = shown.width;
        picture.height = shown.height;
        picture.chromaFormat = 1;
        for (int c = 0; c < 3; ++c) picture.planes[c] = shown.surface.planes[c];
        picture.lumaStride = shown.surface.strides[0];
        picture.chromaStride = shown.surface.strides[1];
        picture.lumaSize = shown.surface.width * shown.surface.height;

        ConversionContext context;
        context.outputFormat = format_ < 0 ? OUTPUT_PLANAR : format_;
        context.colorCorrection = 0;
        context.cpuFeatures = cpuFeatureWord();
        context.rgbMatrix = &matrix_;
        const std::size_t bytes = format_ < 0 ? std::size_t(planarImageSize(picture))
                                              : std::size_t(tightRowPitch(format_, picture.width)) * picture.height;
        bytes_.resize(bytes);
        // Without the weave flag the picture was shown as interlaced fields:
        // its chroma belongs to its fields.
        const bool fields = !(p.typeSpecificFlags & video_flag::weave);
        (fields ? ConvertWeave : ConvertProgressive)(picture, context, bytes_.data(),
                                                     int(bytes / std::size_t(picture.height)));
        if (digests_) std::fprintf(digests_, "%s\n", tools::md5_hex(bytes_.data(), bytes).c_str());
        if (pictures_ && std::fwrite(bytes_.data(), 1, bytes, pictures_) != bytes) writeFailed_ = true;
    }

private:
    const int format_;
    std::FILE* const pictures_;
    std::FILE* const digests_;
    std::FILE* const log_;
    const std::int64_t maxPictures_;
    const RgbMatrixBlock matrix_;
    std::vector<std::uint8_t> bytes_;
    std::atomic<std::int64_t> shown_{0};
    std::atomic<bool> writeFailed_{false};
};

}  // namespace

bool RunDxva(const Options& options, ToolSettings& settings, const std::function<bool(tools::StreamSample&)>& next,
             std::FILE* pictures, std::FILE* digests, std::FILE* log, DxvaRunResult& result, std::string& error) {
    dxva_soft::Options accelerator;
    accelerator.mode = options.dxvaMode;
    accelerator.singleCoefficients = options.dxvaSingleCoefficients;
    accelerator.pendingEvery = kPendingEvery;
    dxva_soft::SoftDxvaHost host(accelerator);
    SurfaceWriter writer(options.format, pictures, digests, log, options.frames);
    host.onShow = [&writer](const dxva_soft::ShownPicture& shown) { writer.show(shown); };
    if (failed(host.connect())) {
        error = "the software accelerator refused the connection";
        return false;
    }
    VideoDecoder decoder;
    if (failed(decoder.Init(&settings, &host))) {
        error = "the decoder could not start";
        return false;
    }
    InFlightLimit limit(kSamplesInFlight);
    tools::StreamSample piece;
    bool fed = true;
    while (fed && !writer.limitReached() && next(piece)) {
        const ReferenceTime start = piece.pts ? tools::PtsToReferenceTime(*piece.pts) : kNoTime;
        BufferSample* sample = BufferSample::make(std::move(piece.bytes), start, &limit);
        fed = decoder.Receive(sample) == hr::ok;
        sample->release();
    }
    if (fed && !writer.limitReached()) decoder.EndOfStream();
    result.info = decoder.streamInfo();
    decoder.Uninit();
    result.displayed = writer.shown();
    if (!fed)
        error = "the decoder stopped taking samples";
    else if (writer.writeFailed())
        error = "cannot write pictures";
    return error.empty();
}

}  // namespace tl::tlvdec
