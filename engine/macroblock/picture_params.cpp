#include "engine/macroblock/picture_params.h"

#include "engine/macroblock/dct_coefficient_tables.h"

namespace tl {
namespace {

std::int32_t rSize(std::int32_t f_code) {
    if (f_code < 1) return 0;
    return f_code > 9 ? 8 : f_code - 1;
}

}  // namespace

PictureParams makePictureParams(const StreamState& stream) {
    PictureParams p;
    p.picture_coding_type = stream.picture_coding_type;
    p.picture_structure = stream.picture_structure;
    p.chroma_format = stream.chroma_format;
    p.block_count = stream.chroma_format == CHROMA_444 ? 12 : stream.chroma_format == CHROMA_422 ? 8 : 6;
    p.mb_width = stream.mb_width;
    p.mb_count = stream.mb_width * stream.mb_height;
    if (p.picture_structure != FRAME_PICTURE) p.mb_count /= 2;
    p.intra_dc_shift = 3 - (stream.intra_dc_precision & 3);
    for (int s = 0; s < 2; ++s)
        for (int t = 0; t < 2; ++t) p.r_size[s][t] = rSize(stream.f_code[s][t]);
    p.vertical_position_extension = stream.vertical_size > 2800;
    // scalable_mode holds the mode + 1; data partitioning is mode 0.
    p.data_partitioning = stream.scalable_mode == 1;
    p.frame_pred_frame_dct = stream.frame_pred_frame_dct != 0;
    p.concealment_motion_vectors = stream.concealment_motion_vectors != 0;
    p.q_scale_type = stream.q_scale_type != 0;
    p.intra_vlc_format = stream.intra_vlc_format != 0;
    p.top_field_first = stream.top_field_first != 0;
    p.scan = stream.alternate_scan ? kAlternateScan : kZigZagScan;
    return p;
}

}  // namespace tl
