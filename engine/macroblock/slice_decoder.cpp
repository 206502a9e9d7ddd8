#include "engine/macroblock/slice_decoder.h"

#include "engine/base/picture.h"
#include "engine/macroblock/macroblock_blocks.h"
#include "engine/macroblock/macroblock_flags.h"
#include "engine/macroblock/macroblock_parser.h"
#include "engine/macroblock/slice_header.h"

namespace tl {
namespace {

// Dense blocks taken from the row arrays' block buffer.
struct RowBlocks {
    const SliceContext& ctx;
    HResult intra(BitReader& reader) {
        return decodeIntraMacroblockBlocks(reader, ctx.params, ctx.state, ctx.matrices,
                                           ctx.rows.takeBlocks(ctx.params.block_count), BlocksOnEntry::zero);
    }
    HResult nonIntra(BitReader& reader, std::uint32_t pattern) {
        return decodeNonIntraMacroblockBlocks(reader, ctx.params, ctx.state, ctx.matrices, pattern,
                                              ctx.rows.takeBlocks(mb::codedCount(pattern)), BlocksOnEntry::zero);
    }
};

}  // namespace

HResult skipPictureSlices(BitReader& reader) {
    for (;;) {
        if (HResult r = reader.nextStartCode(); r != hr::ok) return r;
        const std::uint32_t code = reader.cache & 0xFF;
        if (code < 0x01 || code > 0xAF) return kPictureFinished;
        reader.skipBits(8);
    }
}

std::uint32_t skippedMacroblockFlags(const PictureParams& params, ParserState& state, std::uint32_t previous) {
    std::uint32_t flags = previous & ~(mb::intra | mb::cbpMask | mb::motionTypeMask);
    state.resetDcPredictors();
    if (params.picture_coding_type == PICTURE_P) {
        state.PMV[0][0][0] = state.PMV[0][0][1] = 0;
        state.PMV[1][0][0] = state.PMV[1][0][1] = 0;
        flags |= mb::motionForward;
    }
    const std::uint32_t firstSelects = mb::fieldSelect(0, 0) | mb::fieldSelect(0, 1);
    if (params.framePicture()) {
        flags |= MC_FRAME << mb::motionTypeShift;
    } else {
        flags |= MC_FIELD << mb::motionTypeShift;
        if (params.picture_structure == TOP_FIELD)
            flags &= ~firstSelects;
        else
            flags |= firstSelects;
    }
    return flags;
}

HResult decodeSlice(BitReader& reader, const SliceContext& ctx) {
    const PictureParams& p = ctx.params;
    ParserState& state = ctx.state;
    RowArrays& rows = ctx.rows;
    std::int32_t address;
    if (HResult r = parseSliceHeader(reader, p, state, address); r != hr::ok) return r;
    std::int32_t firstRecorded = address;
    rows.startSlice();

    for (;;) {
        std::uint32_t flags;
        RowBlocks blocks{ctx};
        if (HResult r = parseMacroblock(reader, p, state, blocks, flags); r != hr::ok) {
            rows.clearBlocks();  // a macroblock cut short leaves what it decoded
            return r;
        }
        rows.record(flags, flags & mb::intra, state.PMV);
        ctx.sink.take(rows, firstRecorded);
        rows.clear();

        if (++address == p.mb_count) return kPictureFinished;
        firstRecorded = address;
        if (HResult r = reader.ensureBits(23); r != hr::ok) return r;
        if (reader.peekBits(23) == 0) return hr::ok;
        std::int32_t increment;
        if (HResult r = parseAddressIncrement(reader, increment); r != hr::ok) return r;
        if (address + increment > p.mb_count) return kPictureFinished;
        if (increment > 1) {
            const std::uint32_t skipped = skippedMacroblockFlags(p, state, flags);
            for (std::int32_t i = 1; i < increment && !rows.full(); ++i) rows.record(skipped, false, state.PMV);
            address += increment - 1;
        }
    }
}

}  // namespace tl
