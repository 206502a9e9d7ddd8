// The output stage of the decoder object: renegotiation, the time line, and
// delivery of converted pictures to the host.
#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "convert/yuy2_widen.h"
#include "engine/dxva/alpha_blend.h"
#include "engine/dxva/presentation.h"
#include "engine/framework/deinterlace.h"
#include "engine/framework/picture_rules.h"
#include "engine/framework/sample_flags.h"
#include "engine/framework/video_decoder.h"

namespace tl {
namespace {

// A picture time closer than this to the running clock is taken as on time.
constexpr ReferenceTime kClockJumpThreshold = 10000;

std::int64_t nowTicks() { return VideoDecoder::ConversionClock::now().time_since_epoch().count(); }

}  // namespace

void VideoDecoder::readConnection() {
    connection_ = host_->connectionFormat();
    dxvaMode_ = connection_.subtype >= OutputSubtype::DxvaModeA && connection_.subtype <= OutputSubtype::DxvaModeD;
    outputWidth_ = connection_.width;
    outputHeight_ = std::abs(connection_.height);
    outputSupportsInterlace_ = (connection_.interlaceFlags & 1) != 0;
    adoptOutputFormat();
}

void VideoDecoder::adoptOutputFormat() {
    const std::int32_t before = outputFormatCode_;
    DeriveOutputFormat(connection_, &outputFormatCode_, &bitsPerPixel_);
    // The YUY2 overlay form is not the RGB one: a switch redraws the whole overlay.
    if ((before == OUTPUT_YUY2) != (outputFormatCode_ == OUTPUT_YUY2)) {
        const DamageRect whole{0, 0, overlay_.width(), overlay_.height()};
        overlay_.queueDamage(&whole, 1);
    }
    procAmp_.setOutputFormat(outputFormatCode_);
}

void VideoDecoder::forcedOrStreamAspect(const Picture* picture, std::int32_t aspect[2]) const {
    if (settingsSnapshot_.aspectX && settingsSnapshot_.aspectY) {
        aspect[0] = settingsSnapshot_.aspectX;
        aspect[1] = settingsSnapshot_.aspectY;
    } else if (picture) {
        aspect[0] = picture->aspectX;
        aspect[1] = picture->aspectY;
    } else {
        aspect[0] = stream_.aspect_x;
        aspect[1] = stream_.aspect_y;
    }
}

bool VideoDecoder::renegotiate() {
    const StreamState& s = stream_;
    std::int32_t aspect[2];
    forcedOrStreamAspect(nullptr, aspect);
    // Surfaces take the coded size, so a DirectX VA connection is told of every change.
    if (dxvaMode_ || s.chroma_format != negotiated_.chromaFormat || aspect[0] != negotiated_.aspectX ||
        aspect[1] != negotiated_.aspectY || s.horizontal_size != negotiated_.width ||
        s.vertical_size != negotiated_.height) {
        const std::int32_t size[2] = {s.horizontal_size, s.vertical_size};
        const std::int32_t coded[2] = {s.coded_width, s.coded_height};
        const ReferenceTime period = s.frame_period == kNoTime ? 0 : s.frame_period;
        // In software a refusal is not fatal: pictures that fit the old type
        // are still delivered. Surfaces of the old size cannot take the new pictures.
        if (failed(host_->changeOutputFormat(size, coded, aspect, s.chroma_format, period)) && dxvaMode_)
            return false;
    }
    negotiated_.codedWidth = s.coded_width;
    negotiated_.codedHeight = s.coded_height;
    negotiated_.chromaFormat = s.chroma_format;
    negotiated_.aspectX = aspect[0];
    negotiated_.aspectY = aspect[1];
    negotiated_.width = s.horizontal_size;
    negotiated_.height = s.vertical_size;
    mediaTypeChangePending_ = true;
    readConnection();
    allocateBuffers();
    return true;
}

void VideoDecoder::outputPicture(Picture* picture) {
    pool_.moveToBack(picture);
    if (!running_ || flushing_) return;

    std::int32_t aspect[2];
    forcedOrStreamAspect(picture, aspect);
    if (aspect[0] != negotiated_.aspectX || aspect[1] != negotiated_.aspectY) {
        if (failed(host_->changeAspectRatio(aspect))) return;
        negotiated_.aspectX = aspect[0];
        negotiated_.aspectY = aspect[1];
        mediaTypeChangePending_ = true;
        readConnection();
    }

    if (picture->time != kNoTime && std::llabs(picture->time - outputClock_) > kClockJumpThreshold)
        outputClock_ = picture->time;

    if (!dxvaMode_) {
        overlay_.compose(layers_, outputFormatCode_ == OUTPUT_YUY2);
    } else if (dxvaAlphaBlend_ && accelerator_) {
        // Each redrawn part goes to the accelerator's AYUV surface as it is drawn.
        const dxva::OverlayView view{reinterpret_cast<const std::uint8_t*>(overlay_.surface()), 4 * overlay_.width(),
                                     overlay_.width(), overlay_.height()};
        overlay_.compose(layers_, false,
                         [&](const DamageRect& r) { dxva::loadLayerImage(*accelerator_, view, r, cpuFeatures_); });
    }

    const SettingsSnapshot& set = settingsSnapshot_;
    deinterlaceMode_ = ChooseDeinterlaceMode(picture->interlaced != 0, set.alwaysDeinterlace, set.deinterlace,
                                             outputSupportsInterlace_, IsSoftwareBobRenderer(downstreamClassId_));
    ++frameNum_;
    if (picture->skip) {
        ++skippedFrames_;
    } else if (dxvaMode_) {
        presentPicture(*picture, deinterlaceMode_);
    } else {
        deliverPicture(*picture, deinterlaceMode_);
        ++picture->referenceCount;
        if (lastDelivered_) --lastDelivered_->referenceCount;
        lastDelivered_ = picture;
    }
    outputClock_ += picture->duration;
}

// The layer band blended over a copy of the picture in a free surface; null
// when none is free or the accelerator fails, and the picture is shown as it is.
Picture* VideoDecoder::blendLayers(Picture& picture) {
    if (!dxvaAlphaBlend_ || !overlay_.active() || overlay_.firstRow() > overlay_.lastRow()) return nullptr;
    ++picture.referenceCount;  // not its own destination
    Picture* target = pool_.takeFree();
    --picture.referenceCount;
    if (!target) return nullptr;
    const std::int32_t bottom = std::min(overlay_.lastRow() + 1, picture.height);
    const HResult r = dxva::blendLayerBand(*accelerator_, std::uint16_t(picture.index), std::uint16_t(target->index),
                                           picture.width, picture.height, overlay_.firstRow(), bottom);
    return failed(r) ? nullptr : target;
}

// The shown surface stays held until the next one is shown, so the decoder
// never writes into a picture the renderer is still flipping to.
void VideoDecoder::presentPicture(Picture& decoded, int mode) {
    if (!accelerator_) return;
    Picture* blended = blendLayers(decoded);
    Picture& picture = blended ? *blended : decoded;
    dxva::Presentation p;
    p.surface = std::uint16_t(picture.index);
    p.start = outputClock_;
    p.duration = decoded.duration;
    p.mode = mode;
    p.topFieldFirst = decoded.topFieldFirst != 0;
    p.repeatField = decoded.repeatField != 0;
    p.pictureType = decoded.pictureType;
    p.discontinuity = discontinuityPending_;
    p.newMediaType = mediaTypeChangePending_ ? &connection_ : nullptr;
    if (failed(dxva::displayPicture(*accelerator_, *host_, p))) return;
    discontinuityPending_ = false;
    mediaTypeChangePending_ = false;
    ++picture.referenceCount;
    if (lastDelivered_) --lastDelivered_->referenceCount;
    lastDelivered_ = &picture;
}

void VideoDecoder::convertInto(const Picture& picture, int mode, bool firstOfTwo, std::uint8_t* buffer,
                               std::int32_t bufferBytes, int rowPitch, int bufferRows) {
    ConversionContext context;
    context.outputFormat = outputFormatCode_;
    context.chromaFormat = picture.chromaFormat;
    context.colorCorrection = settingsSnapshot_.colorCorrection;
    context.overlayActive = overlay_.active();
    context.overlaySurface = overlay_.surface();
    context.overlayRowMask = overlay_.rowMask();
    context.cpuFeatures = cpuFeatures_;
    context.rgbBottomUp = connection_.height > 0;
    context.bufferRows = bufferRows;
    context.bufferBytes = bufferBytes;
    // A ProcAmp Set on another thread takes effect from the next conversion.
    procAmp_.copyMatrix(conversionMatrix_);
    context.rgbMatrix = &conversionMatrix_;
    switch (mode) {
    case DEINTERLACE_WEAVE:
    case DEINTERLACE_HARDWARE_BOB:
        ConvertWeave(picture, context, buffer, rowPitch);
        break;
    case DEINTERLACE_SOFTWARE_BOB:
        ConvertSoftwareBob(picture, context, buffer, rowPitch);
        break;
    case DEINTERLACE_SOFTWARE_BOB_DOUBLE_RATE: {
        // The field that comes first in time is shown first.
        const bool top = firstOfTwo ? picture.topFieldFirst != 0 : picture.topFieldFirst == 0;
        ConvertFieldBob(picture, context, buffer, rowPitch, top);
        break;
    }
    default:
        ConvertProgressive(picture, context, buffer, rowPitch);
        break;
    }
}

// The sample holds the connection's rows. Renderers that insist on a much wider
// YUY2 surface than the picture get every row stretched to it; any other sample
// larger than the picture (the renderer refused the new size) shows the picture
// at its top left on black.
void VideoDecoder::convertSample(const Picture& picture, int mode, bool firstOfTwo, OutputSample& sample) {
    std::uint8_t* buffer = sample.buffer();
    const std::int32_t size = sample.size();
    // A type the renderer attached to this very sample may be shorter than the
    // picture; the picture's own rows then bound the pitch so nothing lands past the buffer.
    const int rows = outputFormatCode_ == OUTPUT_PLANAR ? picture.height : std::max(outputHeight_, picture.height);
    const int rowPitch = size / rows;
    const bool widen = outputFormatCode_ == OUTPUT_YUY2 && needsYuy2Widening(picture.width, outputWidth_);
    if (!widen && outputFormatCode_ != OUTPUT_PLANAR &&
        (picture.width < outputWidth_ || picture.height < outputHeight_))
        FillBlack(buffer, size, outputFormatCode_);
    convertInto(picture, mode, firstOfTwo, buffer, size, rowPitch, rows);
    if (widen) WidenYuy2Rows(buffer, size, rowPitch, picture.width, picture.height, outputWidth_, outputHeight_);
}

void VideoDecoder::deliverPicture(Picture& picture, int mode) {
    if (outputWidth_ < picture.width || outputHeight_ < picture.height || picture.height <= 0) return;
    const bool doubleRate = mode == DEINTERLACE_SOFTWARE_BOB_DOUBLE_RATE;
    ReferenceTime start = outputClock_;
    ReferenceTime stop = start + (doubleRate ? picture.duration >> 1 : picture.duration);

    OutputSample* sample = nullptr;
    if (failed(host_->getDeliveryBuffer(&sample, &start, &stop, 0)) || !sample) return;
    if (sample->size() <= 0) {
        sample->release();
        return;
    }
    const std::int32_t size = sample->size();
    lastImageSize_ = outputFormatCode_ == OUTPUT_PLANAR
                         ? planarImageSize(picture)
                         : std::int64_t(bitsPerPixel_) * picture.height * picture.width / 8;

    OutputSample::Properties props;
    props.actualLength = size;
    props.start = start;
    props.stop = stop;
    props.pictureType = picture.pictureType;
    std::uint32_t flags = sample_flag::splice_point | sample_flag::time_valid | sample_flag::stop_valid;
    if (discontinuityPending_) {
        flags = sample_flag::data_discontinuity | sample_flag::time_valid | sample_flag::stop_valid;
        discontinuityPending_ = false;
    }
    std::uint32_t typeFlags = 0;
    if (outputSupportsInterlace_) {
        if (mode == DEINTERLACE_HARDWARE_BOB)
            typeFlags = (picture.topFieldFirst ? video_flag::field1_first : 0) |
                        (picture.repeatField ? video_flag::repeat_field : 0);
        else
            typeFlags = video_flag::weave;
    }
    props.typeSpecificFlags = typeFlags;

    if (const OutputFormat* arrived = sample->arrivedMediaType()) {
        OutputFormat adopted = *arrived;
        if (adopted.videoInfo2) {
            adopted.aspectX = std::uint32_t(negotiated_.aspectX);
            adopted.aspectY = std::uint32_t(negotiated_.aspectY);
        }
        connection_ = adopted;
        outputWidth_ = connection_.width;
        outputHeight_ = std::abs(connection_.height);
        adoptOutputFormat();
        flags |= sample_flag::type_changed;
        mediaTypeChangePending_ = false;
    } else if (mediaTypeChangePending_) {
        flags &= ~sample_flag::splice_point;
        flags |= sample_flag::type_changed | sample_flag::data_discontinuity;
        props.mediaType = &connection_;
        mediaTypeChangePending_ = false;
    }
    props.flags = flags;

    const std::int64_t before = nowTicks();
    convertSample(picture, mode, true, *sample);
    lastConversionTicks_ = nowTicks() - before;

    sample->setProperties(props);
    host_->deliver(sample);
    sample->release();

    if (!doubleRate) return;
    start = stop;
    stop = start + (picture.duration >> 1);
    OutputSample* second = nullptr;
    if (failed(host_->getDeliveryBuffer(&second, &start, &stop, kNotASyncPoint)) || !second) return;
    if (second->size() <= 0) {
        second->release();
        return;
    }
    OutputSample::Properties secondProps;
    secondProps.actualLength = second->size();
    secondProps.start = start;
    secondProps.stop = stop;
    secondProps.flags = sample_flag::splice_point | sample_flag::time_valid | sample_flag::stop_valid;
    secondProps.typeSpecificFlags = typeFlags;
    secondProps.pictureType = picture.pictureType;
    convertSample(picture, mode, false, *second);
    second->setProperties(secondProps);
    host_->deliver(second);
    second->release();
}

}  // namespace tl
