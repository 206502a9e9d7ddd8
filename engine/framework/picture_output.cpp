// The output stage of the decoder object: renegotiation, the time line, and
// delivery of converted pictures to the host.
#include <algorithm>
#include <cstdlib>

#include "convert/dispatch.h"
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

// The video flags of a sample: field order and repeat for hardware bob on an
// interlace-capable connection, weave for any other mode there.
std::uint32_t videoFlags(const Picture& picture, int mode, bool supportsInterlace) {
    if (!supportsInterlace) return 0;
    if (mode != DEINTERLACE_HARDWARE_BOB) return video_flag::weave;
    return (picture.topFieldFirst ? video_flag::field1_first : 0) | (picture.repeatField ? video_flag::repeat_field : 0);
}

}  // namespace

void VideoDecoder::readConnection() { followOutputFormat(output_.read(*host_)); }

// The YUY2 overlay form is not the RGB one: a switch redraws the whole overlay.
void VideoDecoder::followOutputFormat(bool overlayFormChanged) {
    if (overlayFormChanged) {
        const DamageRect whole{0, 0, overlay_.width(), overlay_.height()};
        overlay_.queueDamage(&whole, 1);
    }
    conversion_.procAmp().setOutputFormat(output_.formatCode());
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
    if (output_.changedFrom(s, aspect)) {
        const std::int32_t size[2] = {s.horizontal_size, s.vertical_size};
        const std::int32_t coded[2] = {s.coded_width, s.coded_height};
        const ReferenceTime period = s.frame_period == kNoTime ? 0 : s.frame_period;
        // In software a refusal is not fatal: pictures that fit the old type
        // are still delivered. Surfaces of the old size cannot take the new pictures.
        if (failed(host_->changeOutputFormat(size, coded, aspect, s.chroma_format, period)) && output_.dxva())
            return false;
    }
    output_.agree(s, aspect);
    readConnection();
    allocateBuffers();
    return true;
}

void VideoDecoder::outputPicture(Picture* picture) {
    pictures_.pool().moveToBack(picture);
    if (!worker_.running() || worker_.flushing()) return;

    std::int32_t aspect[2];
    forcedOrStreamAspect(picture, aspect);
    if (aspect[0] != output_.agreed().aspectX || aspect[1] != output_.agreed().aspectY) {
        if (failed(host_->changeAspectRatio(aspect))) return;
        output_.agreeAspect(aspect);
        readConnection();
    }

    if (picture->time != kNoTime && std::llabs(picture->time - outputClock_) > kClockJumpThreshold)
        outputClock_ = picture->time;

    if (!output_.dxva()) {
        overlay_.compose(layers_, output_.formatCode() == OUTPUT_YUY2);
    } else if (dxva_.alphaBlend && dxva_.accelerator) {
        // Each redrawn part goes to the accelerator's AYUV surface as it is drawn.
        const dxva::OverlayView view{reinterpret_cast<const std::uint8_t*>(overlay_.surface()), 4 * overlay_.width(),
                                     overlay_.width(), overlay_.height()};
        overlay_.compose(layers_, false, [&](const DamageRect& r) {
            dxva::loadLayerImage(*dxva_.accelerator, view, r, cpuFeatures_);
        });
    }

    const SettingsSnapshot& set = settingsSnapshot_;
    deinterlaceMode_ = ChooseDeinterlaceMode(picture->interlaced != 0, set.alwaysDeinterlace, set.deinterlace,
                                             output_.supportsInterlace(), IsSoftwareBobRenderer(downstreamClassId_));
    statistics_.pictureOutput(picture->skip != 0);
    if (!picture->skip) {
        if (output_.dxva()) {
            presentPicture(*picture, deinterlaceMode_);
        } else {
            deliverPicture(*picture, deinterlaceMode_);
            pictures_.shown(*picture);
        }
    }
    outputClock_ += picture->duration;
}

// The layer band blended over a copy of the picture in a free surface; null
// when none is free or the accelerator fails, and the picture is shown as it is.
Picture* VideoDecoder::blendLayers(Picture& picture) {
    if (!dxva_.alphaBlend || !overlay_.active() || overlay_.firstRow() > overlay_.lastRow()) return nullptr;
    ++picture.referenceCount;  // not its own destination
    Picture* target = pictures_.pool().takeFree();
    --picture.referenceCount;
    if (!target) return nullptr;
    const std::int32_t bottom = std::min(overlay_.lastRow() + 1, picture.height);
    const HResult r = dxva::blendLayerBand(*dxva_.accelerator, std::uint16_t(picture.index),
                                           std::uint16_t(target->index), picture.width, picture.height,
                                           overlay_.firstRow(), bottom);
    return failed(r) ? nullptr : target;
}

// The shown surface stays held until the next one is shown, so the decoder
// never writes into a picture the renderer is still flipping to.
void VideoDecoder::presentPicture(Picture& decoded, int mode) {
    if (!dxva_.accelerator) return;
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
    p.newMediaType = output_.typeChangePending() ? &output_.format() : nullptr;
    if (failed(dxva::displayPicture(*dxva_.accelerator, *host_, p))) return;
    discontinuityPending_ = false;
    output_.typeChangeSent();
    pictures_.shown(picture);
}

// One sample per picture, or one per field at double rate, each half the
// picture's duration long.
void VideoDecoder::deliverPicture(Picture& picture, int mode) {
    if (picture.height <= 0) return;
    // A renderer that refused the larger size cannot show the picture whole;
    // cutting it would show something the stream never had, so it is counted instead.
    if (output_.width() < picture.width || output_.height() < picture.height) {
        statistics_.pictureUndelivered();
        return;
    }
    const bool doubleRate = mode == DEINTERLACE_SOFTWARE_BOB_DOUBLE_RATE;
    const ReferenceTime length = doubleRate ? picture.duration >> 1 : picture.duration;
    ReferenceTime start = outputClock_;
    if (!deliverSample(picture, mode, true, start, length) || !doubleRate) return;
    deliverSample(picture, mode, false, start, length);
}

// Converts the picture into a delivery buffer for [start, start + length) and
// hands it to the host; false when the host has no buffer. `start` moves on to
// where the host's sample ends. The second sample of a double-rate pair is not
// a sync point.
bool VideoDecoder::deliverSample(const Picture& picture, int mode, bool firstOfTwo, ReferenceTime& start,
                                 ReferenceTime length) {
    ReferenceTime stop = start + length;
    OutputSample* sample = nullptr;
    if (failed(host_->getDeliveryBuffer(&sample, &start, &stop, firstOfTwo ? 0 : kNotASyncPoint)) || !sample)
        return false;
    if (sample->size() <= 0) {
        sample->release();
        return false;
    }

    OutputSample::Properties props;
    props.actualLength = sample->size();
    props.start = start;
    props.stop = stop;
    props.pictureType = picture.pictureType;
    props.typeSpecificFlags = videoFlags(picture, mode, output_.supportsInterlace());
    std::uint32_t flags = sample_flag::splice_point | sample_flag::time_valid | sample_flag::stop_valid;
    if (discontinuityPending_) {
        flags = sample_flag::data_discontinuity | sample_flag::time_valid | sample_flag::stop_valid;
        discontinuityPending_ = false;
    }
    if (const OutputFormat* arrived = sample->arrivedMediaType()) {
        followOutputFormat(output_.adopt(*arrived));
        flags |= sample_flag::type_changed;
        output_.typeChangeSent();
    } else if (output_.typeChangePending()) {
        flags &= ~sample_flag::splice_point;
        flags |= sample_flag::type_changed | sample_flag::data_discontinuity;
        props.mediaType = &output_.format();
        output_.typeChangeSent();
    }
    props.flags = flags;

    const std::int64_t imageBytes = output_.formatCode() == OUTPUT_PLANAR
                                        ? planarImageSize(picture)
                                        : std::int64_t(output_.bitsPerPixel()) * picture.height * picture.width / 8;
    const std::int64_t before = DecoderStatistics::now();
    conversion_.convert(picture, mode, firstOfTwo, *sample,
                        SampleConversion::Inputs{output_, overlay_, settingsSnapshot_.colorCorrection, cpuFeatures_});
    statistics_.conversionTimed(DecoderStatistics::now() - before, imageBytes);

    sample->setProperties(props);
    host_->deliver(sample);
    sample->release();
    start = stop;
    return true;
}

}  // namespace tl
