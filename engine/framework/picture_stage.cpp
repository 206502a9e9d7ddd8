// The picture stage of the decoder object: buffers, references, display order.
#include <algorithm>

#include "engine/framework/picture_rules.h"
#include "engine/framework/video_decoder.h"

namespace tl {
namespace {

constexpr std::size_t kGopStructureCapacity = 63;

}  // namespace

bool VideoDecoder::allocateBuffers() {
    lastDelivered_ = nullptr;
    accelerator_ = nullptr;
    const bool ok = dxvaMode_ ? allocateSurfaces() : pool_.allocate(kSoftwarePictureCount, stream_);

    // The overlay covers the coded picture, so the kernels walk it with the luma
    // stride; an accelerator blends no more than its AYUV surface holds.
    // Without the memory pictures are still shown, just without layers.
    std::int32_t width = stream_.coded_width, height = stream_.coded_height;
    if (dxvaMode_ && alphaWidth_ > 0 && alphaHeight_ > 0) {
        width = std::min(width, alphaWidth_);
        height = std::min(height, alphaHeight_);
    }
    if (overlay_.rebuild(width, height) && layers_) layers_->setViewport(DamageRect{0, 0, width, height});
    return ok;
}

// One picture record per surface the renderer allocated, bound to the
// accelerator and the configuration the connection agreed on.
bool VideoDecoder::allocateSurfaces() {
    pool_.free();
    const std::uint32_t count = host_->dxvaSurfaceCount();
    DxvaAccelerator* accelerator = host_->dxvaAccelerator();
    if (count < kMinDxvaSurfaces || count > kMaxDxvaSurfaces || !accelerator) return false;
    dxva::AMVACompBufferInfo info[dxva::kCompBufferTypes]{};
    dxva::DXVA_ConfigPictureDecode config{};
    host_->dxvaCompBufferInfo(info);
    host_->dxvaPictureDecodeConfig(config);
    dxva::DXVA_ConfigAlphaLoad load{};
    dxva::DXVA_ConfigAlphaCombine combine{};
    dxvaAlphaBlend_ = host_->dxvaAlphaBlend(load, combine);
    alphaWidth_ = std::int32_t(info[dxva::DXVA_AYUV_BUFFER].dwWidthToCreate);
    alphaHeight_ = std::int32_t(info[dxva::DXVA_AYUV_BUFFER].dwHeightToCreate);
    dxvaPath_->connect(accelerator, config, info);
    accelerator_ = accelerator;
    pool_.allocateSurfaces(int(count), stream_);
    return true;
}

void VideoDecoder::releaseReference(Picture*& slot) {
    if (!slot) return;
    --slot->referenceCount;
    slot = nullptr;
}

void VideoDecoder::dropReferences() {
    releaseReference(olderReference_);
    releaseReference(newerReference_);
}

Picture* VideoDecoder::takeNewBuffer(bool reference) {
    if (reference) releaseReference(olderReference_);
    Picture* p = pool_.takeFree();
    if (!p) return nullptr;
    if (reference) {
        olderReference_ = newerReference_;
        newerReference_ = p;
        ++p->referenceCount;
        p->time = pendingPictureTime_;
    } else {
        p->time = kNoTime;
    }
    pendingPictureTime_ = kNoTime;
    return p;
}

HResult VideoDecoder::handlePicture() {
    const StreamState& s = stream_;
    if (s.coded_width != negotiated_.codedWidth || s.coded_height != negotiated_.codedHeight ||
        s.chroma_format != negotiated_.chromaFormat) {
        if (newerReference_) outputPicture(newerReference_);
        dropReferences();
        secondField_ = false;
        awaitingSecondField_ = nullptr;
        if (!renegotiate()) return hr::ok;
    }

    const ReferenceTime lateness = settingsSnapshot_.frameSkipping ? settings_->rendererLateness() : 0;
    const int type = s.picture_coding_type;
    bool skip = false;
    switch (type) {
    case PICTURE_I:
        break;
    case PICTURE_P:
        if (!newerReference_) return hr::ok;
        break;
    case PICTURE_B:
        if (!newerReference_ || !olderReference_) return hr::ok;
        skip = lateness > 0 && lateness >= settingsSnapshot_.tolerance;
        break;
    default:  // D pictures and reserved types are not decoded
        return hr::ok;
    }

    if (type == PICTURE_I)
        gopStructure_ = "I";
    else if (gopStructure_.size() < kGopStructureCapacity)
        gopStructure_ += type == PICTURE_P ? 'P' : 'B';

    const bool fieldPicture = s.picture_structure == TOP_FIELD || s.picture_structure == BOTTOM_FIELD;
    Picture* picture;
    bool second = false;
    if (fieldPicture && secondField_ && awaitingSecondField_) {
        picture = awaitingSecondField_;
        second = true;
    } else {
        if (!fieldPicture) {
            secondField_ = false;
            awaitingSecondField_ = nullptr;
        }
        picture = takeNewBuffer(type != PICTURE_B);
        if (!picture) return hr::e_outofmemory;  // every buffer held: end the run
        // The record describes the frame as its first field announced it.
        const PictureTiming timing = ComputePictureTiming(s, rate_.load());
        picture->width = s.horizontal_size;
        picture->height = s.vertical_size;
        picture->aspectX = s.aspect_x;
        picture->aspectY = s.aspect_y;
        picture->pictureType = type;
        picture->skip = skip;
        picture->progressiveSequence = timing.progressiveSequence;
        picture->interlaced = timing.interlaced;
        picture->topFieldFirst = timing.topFieldFirst;
        picture->repeatField = timing.repeatField;
        picture->duration = timing.duration;
    }

    if (!picture->skip) {
        PictureTargets targets;
        targets.current = picture;
        targets.forward = olderReference_;
        targets.backward = type == PICTURE_B ? newerReference_ : nullptr;
        targets.secondField = second;
        targets.conceal = settingsSnapshot_.errorConcealment;
        const HResult r = activePath().decodePicture(reader_, stream_, targets);
        if (failed(r)) return r;
    }

    if (!fieldPicture || second) {
        if (type == PICTURE_B)
            outputPicture(picture);
        else if (olderReference_)
            outputPicture(olderReference_);
    }
    if (fieldPicture && !second) {
        awaitingSecondField_ = picture;
        secondField_ = true;
    } else {
        awaitingSecondField_ = nullptr;
        secondField_ = false;
    }
    return hr::ok;
}

}  // namespace tl
