#include <algorithm>

#include "engine/framework/header_bits.h"
#include "engine/framework/headers.h"
#include "engine/framework/quant_tables.h"

namespace tl {
namespace {

// 64 eight-bit values in zig-zag order, two per refill, stored in raster order.
HResult loadMatrix(BitReader& reader, std::uint16_t* matrix) {
    for (int i = 0; i < 64; i += 2) {
        TL_ENSURE(reader, 16);
        const std::uint32_t pair = reader.readBits(16);
        matrix[zig_zag_scan[i]] = std::uint16_t(pair >> 8);
        matrix[zig_zag_scan[i + 1]] = std::uint16_t(pair & 0xFF);
    }
    return hr::ok;
}

void setDefaultIntra(std::uint16_t* matrix) {
    std::copy(default_intra_quantiser_matrix, default_intra_quantiser_matrix + 64, matrix);
}

void setDefaultNonIntra(std::uint16_t* matrix) {
    std::fill(matrix, matrix + 64, default_non_intra_quantiser_matrix_value);
}

void copyMatrix(const std::uint16_t* from, std::uint16_t* to) { std::copy(from, from + 64, to); }

}  // namespace

ReferenceTime FramePeriodFromValue(std::uint32_t frameRateValue) {
    if (frameRateValue == 0) return 0;
    return ReferenceTime(10010000000ull / frameRateValue);
}

HResult ParseSequenceHeader(BitReader& reader, StreamState& s) {
    TL_ENSURE(reader, 24);
    const std::int32_t width = std::int32_t(reader.readBits(12));
    const std::int32_t height = std::int32_t(reader.readBits(12));
    TL_ENSURE(reader, 8);
    const std::int32_t aspect = std::int32_t(reader.readBits(4));
    const std::int32_t frameRateCode = std::int32_t(reader.readBits(4));
    TL_ENSURE(reader, 19);
    const std::int32_t bitRate = std::int32_t(reader.readBits(18));
    reader.skipBits(1);  // marker_bit
    TL_ENSURE(reader, 12);
    const std::int32_t vbv = std::int32_t(reader.readBits(10));
    s.constrained_parameters_flag = std::int32_t(reader.readBits(1));
    const bool loadIntra = reader.readBits(1) != 0;

    if (loadIntra) {
        HResult r = loadMatrix(reader, s.intra_quantiser_matrix);
        if (r != hr::ok) return r;
    } else {
        setDefaultIntra(s.intra_quantiser_matrix);
    }
    TL_ENSURE(reader, 1);
    if (reader.readBits(1)) {
        HResult r = loadMatrix(reader, s.non_intra_quantiser_matrix);
        if (r != hr::ok) return r;
    } else {
        setDefaultNonIntra(s.non_intra_quantiser_matrix);
    }

    // The size is taken only once the whole header has been read: a header cut
    // short by the end of a run must not leave a size without its coded sizes.
    if (width != s.horizontal_size || height != s.vertical_size) {
        s.display_horizontal_size = 0;
        s.display_vertical_size = 0;
    }
    s.horizontal_size = width;
    s.vertical_size = height;
    s.aspect_ratio_information = aspect;
    s.frame_rate_code = frameRateCode;
    s.frame_rate_value = frame_rate_table[frameRateCode];
    s.frame_period = FramePeriodFromValue(s.frame_rate_value);
    s.bit_rate = bitRate;
    s.vbv_buffer_size = vbv;
    UpdateSizes(s);
    UpdateAspectRatio(s);

    copyMatrix(s.intra_quantiser_matrix, s.chroma_intra_quantiser_matrix);
    copyMatrix(s.non_intra_quantiser_matrix, s.chroma_non_intra_quantiser_matrix);
    ++s.matrix_generation;
    return hr::ok;
}

HResult ParseSequenceExtension(BitReader& reader, StreamState& s) {
    s.scalable_mode = 0;
    TL_ENSURE(reader, 15);
    const std::uint32_t profileAndLevel = reader.readBits(8);
    const std::uint8_t progressiveSequence = std::uint8_t(reader.readBits(1));
    const std::int32_t chromaFormat = std::int32_t(reader.readBits(2));
    const std::int32_t horizontalExtension = std::int32_t(reader.readBits(2));
    const std::int32_t verticalExtension = std::int32_t(reader.readBits(2));
    TL_ENSURE(reader, 21);
    const std::int32_t bitRateExtension = std::int32_t(reader.readBits(12));
    reader.skipBits(1);  // marker_bit
    const std::int32_t vbvExtension = std::int32_t(reader.readBits(8));
    TL_ENSURE(reader, 8);
    s.low_delay = std::uint8_t(reader.readBits(1));
    const std::uint32_t frameRateN = reader.readBits(2);
    const std::uint32_t frameRateD = reader.readBits(5);

    // Committed only now that the extension is complete, together with the
    // sizes derived from them below.
    s.progressive_sequence = progressiveSequence;
    s.chroma_format = chromaFormat;

    s.horizontal_size += horizontalExtension * 4096;
    s.vertical_size += verticalExtension * 4096;

    if ((profileAndLevel & 0x80) == 0) {
        s.profile = std::int32_t((profileAndLevel >> 4) & 7);
        s.level = std::int32_t(profileAndLevel & 15);
    } else if (profileAndLevel == 0x85) {
        s.profile = 5;
        s.level = 8;
    }

    const std::uint64_t value =
        std::uint64_t(frame_rate_table[s.frame_rate_code & 15]) * (frameRateN + 1) / (frameRateD + 1);
    s.frame_rate_value = std::uint32_t(value);
    s.frame_period = FramePeriodFromValue(s.frame_rate_value);

    // The high bits replace rather than add, so a repeated extension cannot overflow.
    s.bit_rate = (s.bit_rate & 0x3FFFF) | bitRateExtension << 18;
    s.vbv_buffer_size = (s.vbv_buffer_size & 0x3FF) | vbvExtension << 10;
    UpdateSizes(s);
    UpdateAspectRatio(s);
    return hr::ok;
}

HResult ParseSequenceDisplayExtension(BitReader& reader, StreamState& s) {
    TL_ENSURE(reader, 4);
    s.video_format = std::int32_t(reader.readBits(3));
    if (reader.readBits(1)) {
        TL_ENSURE(reader, 24);
        s.colour_primaries = std::int32_t(reader.readBits(8));
        s.transfer_characteristics = std::int32_t(reader.readBits(8));
        s.matrix_coefficients = std::int32_t(reader.readBits(8));
    } else {
        s.colour_primaries = 1;
        s.transfer_characteristics = 1;
        s.matrix_coefficients = 1;
    }
    TL_ENSURE(reader, 15);
    s.display_horizontal_size = std::int32_t(reader.readBits(14));
    reader.skipBits(1);  // marker_bit
    TL_ENSURE(reader, 14);
    s.display_vertical_size = std::int32_t(reader.readBits(14));
    UpdateAspectRatio(s);
    return hr::ok;
}

HResult ParseQuantMatrixExtension(BitReader& reader, StreamState& s) {
    std::uint16_t* const targets[4] = {s.intra_quantiser_matrix, s.non_intra_quantiser_matrix,
                                       s.chroma_intra_quantiser_matrix,
                                       s.chroma_non_intra_quantiser_matrix};
    for (int i = 0; i < 4; ++i) {
        TL_ENSURE(reader, 1);
        if (!reader.readBits(1)) continue;
        HResult r = loadMatrix(reader, targets[i]);
        if (r != hr::ok) return r;
        // A luma matrix also stands for chroma until a chroma matrix follows.
        if (i < 2) copyMatrix(targets[i], targets[i + 2]);
    }
    ++s.matrix_generation;
    return hr::ok;
}

HResult ParseSequenceScalableExtension(BitReader& reader, StreamState& s) {
    TL_ENSURE(reader, 2);
    s.scalable_mode = std::int32_t(reader.readBits(2)) + 1;
    return hr::ok;
}

void UpdateSizes(StreamState& s) {
    s.horizontal_size = std::min(s.horizontal_size, 8192);
    s.vertical_size = std::min(s.vertical_size, 4096);
    s.mb_width = (s.horizontal_size + 15) / 16;
    s.mb_height = s.progressive_sequence ? (s.vertical_size + 15) / 16 : 2 * ((s.vertical_size + 31) / 32);
    s.coded_width = 16 * s.mb_width;
    s.coded_height = 16 * s.mb_height;
    switch (s.chroma_format) {
    case CHROMA_422:
        s.block_count = 8;
        s.chroma_width = s.coded_width / 2;
        s.chroma_height = s.coded_height;
        break;
    case CHROMA_444:
        s.block_count = 12;
        s.chroma_width = s.coded_width;
        s.chroma_height = s.coded_height;
        break;
    default:
        s.block_count = 6;
        s.chroma_width = s.coded_width / 2;
        s.chroma_height = s.coded_height / 2;
        break;
    }
}

void UpdateAspectRatio(StreamState& s) {
    if (s.horizontal_size == 0 || s.vertical_size == 0) return;
    double r;
    switch (s.aspect_ratio_information) {
    case 2:
        s.aspect_x = 4, s.aspect_y = 3, r = 0.75;
        break;
    case 3:
        s.aspect_x = 16, s.aspect_y = 9, r = 0.5625;
        break;
    case 4:
        s.aspect_x = 221, s.aspect_y = 100, r = 0.45248868778280543;
        break;
    default:
        s.aspect_x = s.horizontal_size, s.aspect_y = s.vertical_size;
        r = double(s.vertical_size) / double(s.horizontal_size);
        break;
    }
    // 16:9 is taken as signalled; any other ratio is corrected by the part of
    // the frame the display extension says is shown.
    if (s.aspect_ratio_information == 3 || s.display_horizontal_size <= 0 || s.display_vertical_size <= 0)
        return;
    r = r * (double(s.display_horizontal_size) * s.vertical_size) /
        (double(s.display_vertical_size) * s.horizontal_size);
    if (r > 0.73 && r < 0.77)
        s.aspect_x = 4, s.aspect_y = 3;
    else if (r > 0.54 && r < 0.58)
        s.aspect_x = 16, s.aspect_y = 9;
    else if (r > 0.43 && r < 0.47)
        s.aspect_x = 221, s.aspect_y = 100;
    else
        // Display sizes far from the coded ones give absurd ratios; keep them
        // representable and non-zero.
        s.aspect_x = 1000, s.aspect_y = std::int32_t(std::min(std::max(r * 1000, 1.0), 1e6));
}

void ResetStreamState(StreamState& s) {
    const std::uint32_t generation = s.matrix_generation;
    s = StreamState{};
    setDefaultIntra(s.intra_quantiser_matrix);
    setDefaultNonIntra(s.non_intra_quantiser_matrix);
    copyMatrix(s.intra_quantiser_matrix, s.chroma_intra_quantiser_matrix);
    copyMatrix(s.non_intra_quantiser_matrix, s.chroma_non_intra_quantiser_matrix);
    s.matrix_generation = generation + 1;
}

}  // namespace tl
