#include "engine/framework/header_bits.h"
#include "engine/framework/headers.h"

namespace tl {

HResult ParseExtension(BitReader& reader, StreamState& s) {
    TL_ENSURE(reader, 4);
    switch (reader.readBits(4)) {
    case SEQUENCE_EXTENSION_ID:
        return ParseSequenceExtension(reader, s);
    case SEQUENCE_DISPLAY_EXTENSION_ID:
        return ParseSequenceDisplayExtension(reader, s);
    case QUANT_MATRIX_EXTENSION_ID:
        return ParseQuantMatrixExtension(reader, s);
    case COPYRIGHT_EXTENSION_ID:
        return hr::ok;
    case SEQUENCE_SCALABLE_EXTENSION_ID:
        return ParseSequenceScalableExtension(reader, s);
    case PICTURE_DISPLAY_EXTENSION_ID:
        return ParsePictureDisplayExtension(reader, s);
    case PICTURE_CODING_EXTENSION_ID:
        return ParsePictureCodingExtension(reader, s);
    case PICTURE_SPATIAL_SCALABLE_EXTENSION_ID:
        TL_ENSURE(reader, 23);
        reader.skipBits(23);
        TL_ENSURE(reader, 23);
        reader.skipBits(23);
        return hr::ok;
    case PICTURE_TEMPORAL_SCALABLE_EXTENSION_ID:
        TL_ENSURE(reader, 23);
        reader.skipBits(23);
        return hr::ok;
    default:
        ++s.unknown_extensions;
        return hr::ok;
    }
}

HResult ParseHeaders(BitReader& reader, StreamState& s, const HeaderLoopLinks& links) {
    bool pictureSeen = false;
    for (;;) {
        HResult r = reader.nextStartCode();
        if (r != hr::ok) return r;
        const std::uint32_t code = reader.cache & 0xFF;
        const bool slice = code >= SLICE_START_CODE_FIRST && code <= SLICE_START_CODE_LAST;
        if (slice && pictureSeen) return hr::ok;
        reader.consumeStartCode();
        switch (code) {
        case PICTURE_START_CODE:
            // Only the first picture that starts after a sample arrived gets its time.
            *links.pendingPictureTime = *links.sampleTime;
            *links.sampleTime = kNoTime;
            r = ParsePictureHeader(reader, s);
            pictureSeen = true;
            break;
        case SEQUENCE_HEADER_CODE:
            r = ParseSequenceHeader(reader, s);
            break;
        case EXTENSION_START_CODE:
            r = ParseExtension(reader, s);
            break;
        case GROUP_START_CODE:
            r = ParseGroupOfPicturesHeader(reader, s);
            *links.secondFieldPending = false;
            break;
        default:  // slices outside a picture, user data, sequence error and end, system codes
            break;
        }
        if (r != hr::ok) return r;
    }
}

}  // namespace tl
