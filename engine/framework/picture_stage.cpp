// The picture stage of the decoder object: buffers, references, display order.
#include <algorithm>

#include "engine/framework/picture_rules.h"
#include "engine/framework/video_decoder.h"

namespace tl {

bool VideoDecoder::allocateBuffers() {
    pictures_.forgetAll();
    dxva_.accelerator = nullptr;
    const bool ok = output_.dxva() ? allocateSurfaces() : pictures_.pool().allocate(kSoftwarePictureCount, stream_);

    // The overlay covers the coded picture, so the kernels walk it with the luma
    // stride; an accelerator blends no more than its AYUV surface holds.
    // Without the memory pictures are still shown, just without layers; with
    // no layer tree to draw there is nothing to keep (a 1080-line surface is 8 MB).
    std::int32_t width = layers_ ? stream_.coded_width : 0, height = layers_ ? stream_.coded_height : 0;
    if (output_.dxva() && dxva_.alphaWidth > 0 && dxva_.alphaHeight > 0) {
        width = std::min(width, dxva_.alphaWidth);
        height = std::min(height, dxva_.alphaHeight);
    }
    if (overlay_.rebuild(width, height) && layers_) layers_->setViewport(DamageRect{0, 0, width, height});
    return ok;
}

// One picture record per surface the renderer allocated, bound to the
// accelerator and the configuration the connection agreed on.
bool VideoDecoder::allocateSurfaces() {
    PicturePool& pool = pictures_.pool();
    pool.free();
    const std::uint32_t count = host_->dxvaSurfaceCount();
    DxvaAccelerator* accelerator = host_->dxvaAccelerator();
    if (count < kMinDxvaSurfaces || count > kMaxDxvaSurfaces || !accelerator) return false;
    dxva::AMVACompBufferInfo info[dxva::kCompBufferTypes]{};
    dxva::DXVA_ConfigPictureDecode config{};
    host_->dxvaCompBufferInfo(info);
    host_->dxvaPictureDecodeConfig(config);
    dxva::DXVA_ConfigAlphaLoad load{};
    dxva::DXVA_ConfigAlphaCombine combine{};
    dxva_.alphaBlend = host_->dxvaAlphaBlend(load, combine);
    dxva_.alphaWidth = std::int32_t(info[dxva::DXVA_AYUV_BUFFER].dwWidthToCreate);
    dxva_.alphaHeight = std::int32_t(info[dxva::DXVA_AYUV_BUFFER].dwHeightToCreate);
    dxvaPath_->connect(accelerator, config, info);
    dxva_.accelerator = accelerator;
    pool.allocateSurfaces(int(count), stream_);
    return true;
}

HResult VideoDecoder::handlePicture() {
    const StreamState& s = stream_;
    const OutputConnection::Agreed& agreed = output_.agreed();
    if (s.coded_width != agreed.codedWidth || s.coded_height != agreed.codedHeight ||
        s.chroma_format != agreed.chromaFormat) {
        if (pictures_.newer()) outputPicture(pictures_.newer());
        pictures_.dropReferences();
        pictures_.endFieldPair();
        if (!renegotiate()) return hr::ok;
    }

    const SettingsSnapshot& set = settingsSnapshot_;
    const ReferenceTime lateness = set.frameSkipping ? settings_->rendererLateness() : 0;
    const int type = s.picture_coding_type;
    bool skip = false;
    switch (type) {
    case PICTURE_I:
        break;
    case PICTURE_P:
        if (!pictures_.newer()) return hr::ok;
        break;
    case PICTURE_B:
        if (!pictures_.newer() || !pictures_.older()) return hr::ok;
        skip = lateness > 0 && lateness >= set.tolerance;
        break;
    default:  // D pictures and reserved types are not decoded
        return hr::ok;
    }
    statistics_.pictureDecoded(type);

    const bool fieldPicture = s.picture_structure == TOP_FIELD || s.picture_structure == BOTTOM_FIELD;
    Picture* picture = fieldPicture ? pictures_.awaitingSecondField() : nullptr;
    const bool second = picture != nullptr;
    if (!second) {
        if (!fieldPicture) pictures_.endFieldPair();
        picture = pictures_.take(type != PICTURE_B);
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
        targets.forward = pictures_.older();
        targets.backward = type == PICTURE_B ? pictures_.newer() : nullptr;
        targets.secondField = second;
        targets.conceal = set.errorConcealment;
        const HResult r = activePath().decodePicture(reader_, stream_, targets);
        if (failed(r)) return r;
    }

    if (!fieldPicture || second) {
        if (type == PICTURE_B)
            outputPicture(picture);
        else if (pictures_.older())
            outputPicture(pictures_.older());
    }
    if (fieldPicture && !second)
        pictures_.awaitSecondField(picture);
    else
        pictures_.endFieldPair();
    return hr::ok;
}

}  // namespace tl
