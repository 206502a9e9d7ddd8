#include "engine/framework/decoder_statistics.h"

#include <utility>

#include "engine/base/picture.h"

namespace tl {
namespace {

constexpr std::size_t kGopStructureCapacity = 63;

static_assert(DecoderStatistics::ConversionClock::period::num == 1, "whole ticks per second");

}  // namespace

void DecoderStatistics::reset() {
    gopStructure_.clear();
    frameNum_ = 0;
    skippedFrames_ = 0;
    undeliveredFrames_ = 0;
    lastConversionTicks_ = 0;
    lastImageBytes_ = 0;
}

void DecoderStatistics::pictureDecoded(int type) {
    if (type == PICTURE_I)
        gopStructure_ = "I";
    else if (gopStructure_.size() < kGopStructureCapacity)
        gopStructure_ += type == PICTURE_P ? 'P' : 'B';
}

void DecoderStatistics::pictureOutput(bool skipped) {
    ++frameNum_;
    if (skipped) ++skippedFrames_;
}

void DecoderStatistics::conversionTimed(std::int64_t ticks, std::int64_t imageBytes) {
    lastConversionTicks_ = ticks;
    lastImageBytes_ = imageBytes;
}

void DecoderStatistics::publish(const StreamState& s, const Outside& outside) {
    StreamInfo i;
    i.chromaFormat = s.chroma_format;
    i.pictureStructure = s.picture_structure;
    i.profile = s.profile;
    i.level = s.level;
    i.videoFormat = s.video_format;
    i.aspectRatioInformation = s.aspect_ratio_information;
    i.aspectRatioX = outside.aspectX;
    i.aspectRatioY = outside.aspectY;
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
    i.deinterlace = outside.deinterlace;
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
    i.totalBytesRead = outside.totalBytesRead;
    i.rendererPerformance =
        lastConversionTicks_ > 0 ? lastImageBytes_ * kClockFrequency / lastConversionTicks_ : 0;
    i.skippedFrames = skippedFrames_;
    i.undeliveredFrames = undeliveredFrames_;
    i.errors = outside.errors + s.unknown_extensions;
    std::lock_guard<std::mutex> lock(mutex_);
    info_ = std::move(i);
}

StreamInfo DecoderStatistics::snapshot() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return info_;
}

}  // namespace tl
