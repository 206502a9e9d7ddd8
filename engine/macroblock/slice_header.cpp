#include "engine/macroblock/slice_header.h"

namespace tl {

HResult parseAddressIncrement(LocalBits& bits, std::int32_t& increment) {
    std::int32_t total = 0;
    for (;;) {
        if (HResult r = bits.ensure(11); r != hr::ok) return r;
        const std::uint32_t v = bits.peek(11);
        if (v >= 1024) {  // 1
            bits.skip(1);
            increment = total + 1;
            return hr::ok;
        }
        if (v < 24) {
            if (v != 8) return kBitstreamError;  // only macroblock_escape lives here
            bits.skip(11);
            total += 33;
            continue;
        }
        // Position of the leading one decides the code's shape.
        const int zeros = __builtin_clz(v) - 21;
        std::int32_t value;
        int length;
        switch (zeros) {
        case 1: value = 3 - static_cast<std::int32_t>((v >> 8) & 1); length = 3; break;  // 01x
        case 2: value = 5 - static_cast<std::int32_t>((v >> 7) & 1); length = 4; break;  // 001x
        case 3: value = 7 - static_cast<std::int32_t>((v >> 6) & 1); length = 5; break;  // 0001x
        case 4:
            if (v & 0x20) {  // 0000 11x
                value = 9 - static_cast<std::int32_t>((v >> 4) & 1);
                length = 7;
            } else {  // 0000 10xx
                value = 13 - static_cast<std::int32_t>((v >> 3) & 3);
                length = 8;
            }
            break;
        case 5:
            if (v & 0x10) {  // 0000 011x
                value = 15 - static_cast<std::int32_t>((v >> 3) & 1);
                length = 8;
            } else if (v & 0x08) {  // 0000 0101 xx
                value = 19 - static_cast<std::int32_t>((v >> 1) & 3);
                length = 10;
            } else if (v & 0x04) {  // 0000 0100 1x
                value = 21 - static_cast<std::int32_t>((v >> 1) & 1);
                length = 10;
            } else {  // 0000 0100 0xx
                value = 25 - static_cast<std::int32_t>(v & 3);
                length = 11;
            }
            break;
        default:  // 0000 0011 xxx
            value = 33 - static_cast<std::int32_t>(v & 7);
            length = 11;
            break;
        }
        bits.skip(length);
        increment = total + value;
        return hr::ok;
    }
}

HResult parseSliceHeader(BitReader& reader, const PictureParams& params, ParserState& state,
                         std::int32_t& firstAddress) {
    if (HResult r = reader.nextStartCode(); r != hr::ok) return r;
    const std::uint32_t slice_vertical_position = reader.cache & 0xFF;
    if (slice_vertical_position < 0x01 || slice_vertical_position > 0xAF) return kPictureFinished;
    reader.consumeStartCode();

    if (HResult r = reader.ensureBits(16); r != hr::ok) return r;
    std::uint32_t slice_vertical_position_extension = 0;
    if (params.vertical_position_extension) slice_vertical_position_extension = reader.readBits(3);
    if (params.data_partitioning) reader.skipBits(7);  // priority_breakpoint
    state.quantiser_scale = quantiserScale(params, reader.readBits(5));

    // intra_slice_flag, then intra_slice and reserved_bits, then any number of
    // extra_information_slice bytes: each byte is announced by a 1 bit.
    for (;;) {
        if (HResult r = reader.ensureBits(9); r != hr::ok) return r;
        if (!reader.readBits(1)) break;
        reader.skipBits(8);
    }

    std::int32_t increment;
    LocalBits bits(reader);
    const HResult r = parseAddressIncrement(bits, increment);
    bits.writeBack();
    if (r != hr::ok) return r;
    const std::int32_t row = static_cast<std::int32_t>((slice_vertical_position_extension << 7) +
                                                       slice_vertical_position) - 1;
    firstAddress = row * params.mb_width + increment - 1;

    state.resetDcPredictors();
    state.resetMotionPredictors();
    if (firstAddress + 1 > params.mb_count) return kPictureFinished;
    return hr::ok;
}

}  // namespace tl
