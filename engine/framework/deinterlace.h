#pragma once

namespace tl {

// tagDEINTERLACE: the user's setting and the effective mode of a picture.
enum Deinterlace : int {
    DEINTERLACE_AUTO = 0,
    DEINTERLACE_PROGRESSIVE = 1,
    DEINTERLACE_WEAVE = 2,
    DEINTERLACE_HARDWARE_BOB = 3,
    DEINTERLACE_SOFTWARE_BOB = 4,
    DEINTERLACE_SOFTWARE_BOB_DOUBLE_RATE = 5,
};

}  // namespace tl
