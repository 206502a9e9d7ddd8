#include "engine/framework/reference_pictures.h"

namespace tl {

void ReferencePictures::release(Picture*& slot) {
    if (!slot) return;
    --slot->referenceCount;
    slot = nullptr;
}

Picture* ReferencePictures::take(bool reference) {
    if (reference) release(older_);
    Picture* p = pool_.takeFree();
    if (!p) return nullptr;
    if (reference) {
        older_ = newer_;
        newer_ = p;
        ++p->referenceCount;
        p->time = pendingTime_;
    } else {
        p->time = kNoTime;
    }
    pendingTime_ = kNoTime;
    return p;
}

void ReferencePictures::dropReferences() {
    release(older_);
    release(newer_);
}

void ReferencePictures::shown(Picture& picture) {
    ++picture.referenceCount;
    if (shown_) --shown_->referenceCount;
    shown_ = &picture;
}

void ReferencePictures::forgetAll() {
    older_ = newer_ = shown_ = awaiting_ = nullptr;
    secondField_ = false;
}

void ReferencePictures::awaitSecondField(Picture* frame) {
    awaiting_ = frame;
    secondField_ = true;
}

void ReferencePictures::endFieldPair() {
    awaiting_ = nullptr;
    secondField_ = false;
}

}  // namespace tl
