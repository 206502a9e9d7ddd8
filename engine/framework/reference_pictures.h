// The pictures the worker holds: the pool, the two reference pictures of
// motion compensation, the picture last shown, and the frame whose second
// field is still to come. Every hold is a reference count on the record, so
// the pool never hands out a picture that is still in use. Worker thread.
#pragma once
#include "engine/base/picture.h"
#include "engine/base/reference_time.h"
#include "engine/framework/picture_pool.h"

namespace tl {

class ReferencePictures {
public:
    PicturePool& pool() { return pool_; }
    Picture* older() const { return older_; }
    Picture* newer() const { return newer_; }

    // A free picture, or null when every one is held. A reference picture
    // becomes the newer reference (the older one is let go) and takes the time
    // of the sample its picture started in; a B picture has no time of its own.
    Picture* take(bool reference);
    void dropReferences();
    // The shown picture stays held until the next one is shown.
    void shown(Picture& picture);
    // The pool was rebuilt or freed: nothing is held any longer.
    void forgetAll();

    // Field pictures: the frame the next field completes, if the last picture
    // was a first field.
    Picture* awaitingSecondField() const { return secondField_ ? awaiting_ : nullptr; }
    void awaitSecondField(Picture* frame);
    void endFieldPair();

    // Links for the header loop: the time the next picture takes, and the
    // second-field flag a group of pictures header clears.
    ReferenceTime* pendingTime() { return &pendingTime_; }
    bool* secondFieldFlag() { return &secondField_; }
    void clearPendingTime() { pendingTime_ = kNoTime; }

private:
    static void release(Picture*& slot);

    PicturePool pool_;
    Picture* older_ = nullptr;
    Picture* newer_ = nullptr;
    Picture* shown_ = nullptr;
    Picture* awaiting_ = nullptr;
    bool secondField_ = false;
    ReferenceTime pendingTime_ = kNoTime;
};

}  // namespace tl
