// The header values the slice layer consults for every macroblock, copied out
// of the stream state once per picture so the parsers read a compact record.
#pragma once
#include <cstdint>

#include "engine/framework/stream_state.h"

namespace tl {

struct PictureParams {
    std::int32_t picture_coding_type = 0;
    std::int32_t picture_structure = FRAME_PICTURE;
    std::int32_t chroma_format = CHROMA_420;
    std::int32_t block_count = 6;
    std::int32_t mb_width = 0;
    std::int32_t mb_count = 0;  // macroblocks in the frame, or in the field
    std::int32_t intra_dc_shift = 3;  // 3 - intra_dc_precision
    // f_code - 1 per [s][t], limited to 0..8 (larger codes are reserved).
    std::int32_t r_size[2][2] = {{0, 0}, {0, 0}};
    bool vertical_position_extension = false;  // vertical_size > 2800
    bool data_partitioning = false;
    bool frame_pred_frame_dct = false;
    bool concealment_motion_vectors = false;
    bool q_scale_type = false;
    bool intra_vlc_format = false;
    bool top_field_first = false;
    const std::uint8_t* scan = nullptr;  // natural index per scan position

    bool framePicture() const { return picture_structure == FRAME_PICTURE; }
};

PictureParams makePictureParams(const StreamState& stream);

// The non-linear quantiser scale (q_scale_type 1), indexed by quantiser_scale_code.
inline constexpr std::uint8_t kNonLinearQuantiserScale[32] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  10, 12, 14, 16, 18,  20,  22,
    24, 28, 32, 36, 40, 44, 48, 52, 56, 64, 72, 80, 88, 96, 104, 112,
};

// quantiser_scale for a quantiser_scale_code under the picture's q_scale_type.
inline std::int32_t quantiserScale(const PictureParams& params, std::uint32_t code) {
    code &= 31;
    return params.q_scale_type ? kNonLinearQuantiserScale[code] : static_cast<std::int32_t>(2 * code);
}

}  // namespace tl
