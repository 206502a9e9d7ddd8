#include "convert/output_format.h"

namespace tl {

int outputBitsPerPixel(int format) {
    switch (format) {
    case OUTPUT_YUY2:
    case OUTPUT_UYVY:
    case OUTPUT_YVYU:
    case OUTPUT_RGB565:
    case OUTPUT_RGB555: return 16;
    case OUTPUT_YV12:
    case OUTPUT_PLANAR: return 12;
    case OUTPUT_RGB32: return 32;
    case OUTPUT_RGB24: return 24;
    default: return 0;
    }
}

}  // namespace tl
