#include "engine/macroblock/slice_decoder.h"

#include <cstring>

#include "engine/base/picture.h"
#include "engine/macroblock/macroblock_blocks.h"
#include "engine/macroblock/macroblock_flags.h"
#include "engine/macroblock/macroblock_parser.h"
#include "engine/macroblock/slice_header.h"

namespace tl {
namespace {

// Dense blocks taken from the block buffer. The intra decoder, the rarer
// one, gets a copy of the slice loop's window (see LocalBits); the non-intra
// one is inlined and reads the window where it is, in registers.
struct BufferBlocks {
    const SliceContext& ctx;
    HResult intra(LocalBits& bits) {
        return bits.throughCopy([&](LocalBits& copy) {
            return decodeIntraMacroblockBlocks(copy, ctx.params, ctx.state, ctx.matrices,
                                               ctx.blocks.take(ctx.params.block_count));
        });
    }
    HResult nonIntra(LocalBits& bits, std::uint32_t pattern) {
        return decodeNonIntraMacroblockBlocks(bits, ctx.params, ctx.state, ctx.matrices, pattern,
                                              ctx.blocks.take(mb::codedCount(pattern)));
    }
};

void markReached(const SliceContext& ctx, std::int32_t first, int count) {
    for (std::int32_t a = first < 0 ? 0 : first; a < first + count && a < ctx.params.mb_count; ++a)
        ctx.reached[a] = 1;
}

// The macroblocks of a slice from the one at `address`, all read through one
// bit window.
HResult decodeMacroblocks(LocalBits& bits, const SliceContext& ctx, std::int32_t address) {
    const PictureParams& p = ctx.params;
    ParserState& state = ctx.state;
    // A slice never leaves its row: past a row's worth of macroblocks, the
    // rest of the slice is parsed but not reconstructed.
    int room = p.mb_width;
    // The skipped macroblocks from `first` on, with the vectors they take; they
    // are reconstructed once the coded macroblock after them has parsed.
    std::int32_t first = address;
    int skippedCount = 0;
    std::uint32_t skippedFlags = 0;
    std::int32_t skippedVectors[8];

    for (;;) {
        std::uint32_t flags;
        BufferBlocks blocks{ctx};
        if (HResult r = parseMacroblock(bits, p, state, blocks, flags); r != hr::ok) {
            ctx.blocks.clear();  // a macroblock cut short leaves what it decoded
            return r;
        }
        for (int i = 0; i < skippedCount; ++i)
            ctx.reconstructor.macroblock(first + i, skippedFlags, skippedVectors, nullptr);
        int count = skippedCount;
        bool read = false;
        if (room > 0) {
            --room;
            ++count;
            read = ctx.reconstructor.macroblock(address, flags, &state.PMV[0][0][0], ctx.blocks.blocks());
        }
        if (read)
            ctx.blocks.release();
        else
            ctx.blocks.clear();
        if (ctx.reached) markReached(ctx, first, count);

        if (++address == p.mb_count) return kPictureFinished;
        first = address;
        skippedCount = 0;
        if (HResult r = bits.ensure(23); r != hr::ok) return r;
        if (bits.peek(23) == 0) return hr::ok;
        // Most macroblocks follow the one before: an increment of 1, a single
        // '1' bit, read here without the call.
        std::int32_t increment = 1;
        if (bits.peek(1)) {
            bits.skip(1);
        } else {
            const auto parse = [&](LocalBits& copy) { return parseAddressIncrement(copy, increment); };
            if (HResult r = bits.throughCopy(parse); r != hr::ok) return r;
        }
        if (address + increment > p.mb_count) return kPictureFinished;
        if (increment > 1) {
            skippedFlags = skippedMacroblockFlags(p, state, flags);
            skippedCount = increment - 1 < room ? increment - 1 : room;
            room -= skippedCount;
            std::memcpy(skippedVectors, state.PMV, sizeof skippedVectors);
            address += increment - 1;
        }
    }
}

}  // namespace

bool atStartCode(BitReader& reader) {
    const int stuffing = reader.count & 7;
    if (stuffing && reader.peekBits(stuffing) != 0) return false;
    reader.skipBits(stuffing);
    if (reader.ensureBits(24) != hr::ok) return true;
    return reader.peekBits(24) == 1;
}

void resumeAfterSliceStart(BitReader& reader, const BitReader::Mark& beforeSlice) {
    if (reader.rewind(beforeSlice) && reader.nextStartCode() == hr::ok) reader.skipBits(8);
}

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
    std::int32_t address;
    if (HResult r = parseSliceHeader(reader, ctx.params, ctx.state, address); r != hr::ok) return r;
    LocalBits bits(reader);
    const HResult r = decodeMacroblocks(bits, ctx, address);
    bits.writeBack();
    return r;
}

}  // namespace tl
