// The parsed MPEG-2 headers above the slice layer and the sizes derived from
// them. Field names follow ISO/IEC 13818-2.
#pragma once
#include <cstdint>

#include "engine/base/reference_time.h"

namespace tl {

enum PictureStructure : std::int32_t {
    TOP_FIELD = 1,
    BOTTOM_FIELD = 2,
    FRAME_PICTURE = 3,
};

enum ChromaFormat : std::int32_t {
    CHROMA_UNKNOWN = 0,
    CHROMA_420 = 1,
    CHROMA_422 = 2,
    CHROMA_444 = 3,
};

struct StreamState {
    // Sequence header and sequence extension.
    std::int32_t horizontal_size = 0;
    std::int32_t vertical_size = 0;
    std::int32_t aspect_ratio_information = 0;
    std::int32_t frame_rate_code = 0;
    std::uint32_t frame_rate_value = 0;  // frames per 1001 seconds
    std::int32_t bit_rate = 0;           // units of 400 bit/s
    std::int32_t vbv_buffer_size = 0;
    std::int32_t constrained_parameters_flag = 0;
    std::uint8_t progressive_sequence = 0;
    std::uint8_t low_delay = 0;
    std::int32_t chroma_format = CHROMA_UNKNOWN;
    std::int32_t profile = 0;
    std::int32_t level = 0;
    std::int32_t scalable_mode = 0;  // 0 none, else scalable_mode + 1

    // Sequence display extension.
    std::int32_t video_format = 0;
    std::int32_t colour_primaries = 1;
    std::int32_t transfer_characteristics = 1;
    std::int32_t matrix_coefficients = 1;
    std::int32_t display_horizontal_size = 0;
    std::int32_t display_vertical_size = 0;

    // Group of pictures header.
    std::uint8_t drop_frame_flag = 0;
    std::int32_t time_code_hours = 0;
    std::int32_t time_code_minutes = 0;
    std::int32_t time_code_seconds = 0;
    std::int32_t time_code_pictures = 0;
    std::uint8_t closed_gop = 0;
    std::uint8_t broken_link = 0;

    // Picture header and picture coding extension.
    std::int32_t picture_coding_type = 0;
    std::int32_t f_code[2][2] = {{0, 0}, {0, 0}};
    std::int32_t intra_dc_precision = 0;
    std::int32_t picture_structure = 0;
    std::uint8_t top_field_first = 0;
    std::uint8_t frame_pred_frame_dct = 0;
    std::uint8_t concealment_motion_vectors = 0;
    std::uint8_t q_scale_type = 0;
    std::uint8_t intra_vlc_format = 0;
    std::uint8_t alternate_scan = 0;
    std::uint8_t repeat_first_field = 0;
    std::uint8_t chroma_420_type = 0;
    std::uint8_t progressive_frame = 0;

    // Picture display extension.
    std::int32_t number_of_frame_centre_offsets = 0;
    std::int32_t frame_centre_horizontal_offset[3] = {0, 0, 0};
    std::int32_t frame_centre_vertical_offset[3] = {0, 0, 0};

    // Quantiser matrices in natural (raster) order.
    alignas(16) std::uint16_t intra_quantiser_matrix[64] = {};
    alignas(16) std::uint16_t non_intra_quantiser_matrix[64] = {};
    alignas(16) std::uint16_t chroma_intra_quantiser_matrix[64] = {};
    alignas(16) std::uint16_t chroma_non_intra_quantiser_matrix[64] = {};
    // Bumped whenever any matrix is loaded; the scaled-matrix cache of the slice
    // layer rebuilds its entries when it sees a new generation.
    std::uint32_t matrix_generation = 0;

    // Derived.
    std::int32_t mb_width = 0;
    std::int32_t mb_height = 0;
    std::int32_t coded_width = 0;
    std::int32_t coded_height = 0;
    std::int32_t chroma_width = 0;
    std::int32_t chroma_height = 0;
    std::int32_t block_count = 6;
    std::int32_t aspect_x = 0;
    std::int32_t aspect_y = 0;
    ReferenceTime frame_period = 0;

    // Extensions with an identifier the parser does not know.
    std::uint32_t unknown_extensions = 0;
};

}  // namespace tl
