#include "engine/framework/header_bits.h"
#include "engine/framework/headers.h"

namespace tl {

HResult ParseGroupOfPicturesHeader(BitReader& reader, StreamState& s) {
    TL_ENSURE(reader, 19);
    s.drop_frame_flag = std::uint8_t(reader.readBits(1));
    s.time_code_hours = std::int32_t(reader.readBits(5));
    s.time_code_minutes = std::int32_t(reader.readBits(6));
    reader.skipBits(1);  // marker_bit
    s.time_code_seconds = std::int32_t(reader.readBits(6));
    TL_ENSURE(reader, 8);
    s.time_code_pictures = std::int32_t(reader.readBits(6));
    s.closed_gop = std::uint8_t(reader.readBits(1));
    s.broken_link = std::uint8_t(reader.readBits(1));
    return hr::ok;
}

HResult ParsePictureHeader(BitReader& reader, StreamState& s) {
    TL_ENSURE(reader, 13);
    reader.skipBits(10);  // temporal_reference
    s.picture_coding_type = std::int32_t(reader.readBits(3));
    return hr::ok;
}

HResult ParsePictureCodingExtension(BitReader& reader, StreamState& s) {
    TL_ENSURE(reader, 20);
    s.f_code[0][0] = std::int32_t(reader.readBits(4));
    s.f_code[0][1] = std::int32_t(reader.readBits(4));
    s.f_code[1][0] = std::int32_t(reader.readBits(4));
    s.f_code[1][1] = std::int32_t(reader.readBits(4));
    s.intra_dc_precision = std::int32_t(reader.readBits(2));
    s.picture_structure = std::int32_t(reader.readBits(2));
    TL_ENSURE(reader, 10);
    s.top_field_first = std::uint8_t(reader.readBits(1));
    s.frame_pred_frame_dct = std::uint8_t(reader.readBits(1));
    s.concealment_motion_vectors = std::uint8_t(reader.readBits(1));
    s.q_scale_type = std::uint8_t(reader.readBits(1));
    s.intra_vlc_format = std::uint8_t(reader.readBits(1));
    s.alternate_scan = std::uint8_t(reader.readBits(1));
    s.repeat_first_field = std::uint8_t(reader.readBits(1));
    s.chroma_420_type = std::uint8_t(reader.readBits(1));
    s.progressive_frame = std::uint8_t(reader.readBits(1));
    reader.skipBits(1);  // composite_display_flag; its fields are left to the next start-code scan
    return hr::ok;
}

HResult ParsePictureDisplayExtension(BitReader& reader, StreamState& s) {
    int offsets;
    if (s.progressive_sequence)
        offsets = s.repeat_first_field ? (s.top_field_first ? 3 : 2) : 1;
    else if (s.picture_structure != FRAME_PICTURE)
        offsets = 1;
    else
        offsets = s.repeat_first_field ? 3 : 2;
    s.number_of_frame_centre_offsets = offsets;
    for (int i = 0; i < offsets; ++i) {
        TL_ENSURE(reader, 17);
        s.frame_centre_horizontal_offset[i] = std::int32_t(reader.readBits(16));
        reader.skipBits(1);  // marker_bit
        TL_ENSURE(reader, 17);
        s.frame_centre_vertical_offset[i] = std::int32_t(reader.readBits(16));
        reader.skipBits(1);  // marker_bit
    }
    return hr::ok;
}

}  // namespace tl
