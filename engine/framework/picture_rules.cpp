#include "engine/framework/picture_rules.h"

#include "convert/dispatch.h"
#include "engine/framework/deinterlace.h"

namespace tl {

PictureTiming ComputePictureTiming(const StreamState& s, double rate) {
    PictureTiming t;
    const bool framePicture = s.picture_structure != TOP_FIELD && s.picture_structure != BOTTOM_FIELD;
    t.duration = s.frame_period;
    if (!s.progressive_sequence) {
        t.interlaced = !s.progressive_frame;
        t.topFieldFirst = framePicture ? s.top_field_first : s.picture_structure == TOP_FIELD;
        if (s.progressive_frame && s.repeat_first_field) {
            t.repeatField = 1;
            t.duration = s.frame_period * 3 / 2;
        }
    } else {
        t.progressiveSequence = 1;
        if (s.repeat_first_field) t.duration = s.frame_period * (s.top_field_first ? 3 : 2);
    }
    if (rate != 1.0) t.duration = ReferenceTime(double(t.duration) / rate);
    return t;
}

int ChooseDeinterlaceMode(bool interlacedPicture, bool alwaysDeinterlace, int setting,
                          bool outputSupportsInterlace, bool downstreamWantsSoftwareBob) {
    if (!interlacedPicture && !alwaysDeinterlace) return DEINTERLACE_PROGRESSIVE;
    if (setting != DEINTERLACE_AUTO) return setting;
    if (!interlacedPicture) return DEINTERLACE_PROGRESSIVE;
    if (outputSupportsInterlace) return DEINTERLACE_HARDWARE_BOB;
    return downstreamWantsSoftwareBob ? DEINTERLACE_SOFTWARE_BOB : DEINTERLACE_SOFTWARE_BOB_DOUBLE_RATE;
}

bool IsSoftwareBobRenderer(const ClassId& id) {
    static constexpr ClassId kRenderer = {0x0E, 0x22, 0x23, 0x7C, 0xBB, 0x55, 0xD3, 0x11,
                                          0x8B, 0x16, 0x00, 0xC0, 0x4F, 0xB6, 0xBD, 0x3D};
    return id == kRenderer;
}

bool DeriveOutputFormat(const OutputFormat& format, std::int32_t* code, std::int32_t* bitsPerPixel) {
    if (!format.videoInfo2) return false;
    if (format.subtype <= OutputSubtype::Planar) {
        *code = std::int32_t(format.subtype);
        *bitsPerPixel = outputBitsPerPixel(*code);
        return true;
    }
    if (format.compression != kBiRgb && format.compression != kBiBitfields) return false;
    switch (format.bitCount) {
    case 15: *code = OUTPUT_RGB555; break;
    case 16: *code = OUTPUT_RGB565; break;
    case 24: *code = OUTPUT_RGB24; break;
    case 32: *code = OUTPUT_RGB32; break;
    default: return false;
    }
    *bitsPerPixel = outputBitsPerPixel(*code);
    return true;
}

}  // namespace tl
