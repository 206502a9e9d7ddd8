#include "engine/macroblock/slice_decoder.h"

#include "engine/framework/picture.h"
#include "engine/macroblock/coded_block_pattern.h"
#include "engine/macroblock/coefficients.h"
#include "engine/macroblock/kernel_slots.h"
#include "engine/macroblock/macroblock_flags.h"
#include "engine/macroblock/macroblock_modes.h"
#include "engine/macroblock/motion_vectors.h"
#include "engine/macroblock/slice_header.h"

namespace tl {
namespace {

std::uint32_t allBlocks(int block_count) {
    return ((1u << block_count) - 1) << (32 - block_count);
}

HResult intraBlocks(BitReader& reader, const SliceContext& ctx) {
    const PictureParams& p = ctx.params;
    ParserState& state = ctx.state;
    const KernelSlots& k = kernelSlots();
    IntraBlockJob job;
    job.blockCount = p.block_count;
    job.lumaWeights = ctx.matrices.get(MATRIX_INTRA_LUMA, state.quantiser_scale);
    job.chromaWeights = p.chroma_format == CHROMA_420 ? job.lumaWeights
                                                      : ctx.matrices.get(MATRIX_INTRA_CHROMA, state.quantiser_scale);
    job.scan = p.scan;
    job.b15 = p.intra_vlc_format;
    job.dcShift = p.intra_dc_shift;
    job.dcPredictors = state.dc_dct_pred;
    job.blocks = ctx.rows.takeBlocks(p.block_count);
    k.clearFourBlocks(job.blocks);
    for (int i = 4; i < p.block_count; ++i) k.clearBlock(job.blocks + 64 * i);
    return decodeIntraBlocks(reader, job, state.errors);
}

HResult nonIntraBlocks(BitReader& reader, const SliceContext& ctx, std::uint32_t pattern) {
    if (!pattern) return hr::ok;
    const PictureParams& p = ctx.params;
    ParserState& state = ctx.state;
    const KernelSlots& k = kernelSlots();
    const std::uint16_t* lumaWeights = nullptr;
    const std::uint16_t* chromaWeights = nullptr;
    if (pattern & 0xF0000000u) lumaWeights = ctx.matrices.get(MATRIX_NON_INTRA_LUMA, state.quantiser_scale);
    if (pattern & 0x0FF00000u) {
        chromaWeights = p.chroma_format == CHROMA_420
                            ? (lumaWeights ? lumaWeights
                                           : ctx.matrices.get(MATRIX_NON_INTRA_LUMA, state.quantiser_scale))
                            : ctx.matrices.get(MATRIX_NON_INTRA_CHROMA, state.quantiser_scale);
    }
    const int coded = __builtin_popcount(pattern);
    std::int16_t* blocks = ctx.rows.takeBlocks(coded);
    for (int i = 0; i < coded; ++i) k.clearBlock(blocks + 64 * i);
    return decodeNonIntraBlocks(reader, blocks, pattern, p.block_count, lumaWeights, chromaWeights, p.scan,
                                state.errors);
}

}  // namespace

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

namespace {

// One macroblock after its address increment: modes, vectors, pattern and
// blocks (written to ctx.rows). `flags` receives the complete flags word.
HResult parseMacroblock(BitReader& reader, const SliceContext& ctx, std::uint32_t& flags) {
    const PictureParams& p = ctx.params;
    ParserState& state = ctx.state;
    MacroblockModes modes;
    if (HResult r = parseMacroblockModes(reader, p, state, modes); r != hr::ok) return r;
    const bool intra = modes.flags & mb::intra;
    const bool concealment = intra && p.concealment_motion_vectors;
    if ((modes.flags & mb::motionForward) || concealment) {
        if (HResult r = parseMotionVectors(reader, p, state, modes, 0); r != hr::ok) return r;
    }
    if (modes.flags & mb::motionBackward) {
        if (HResult r = parseMotionVectors(reader, p, state, modes, 1); r != hr::ok) return r;
    }
    flags = modes.flags;

    if (intra) {
        if (concealment) {
            if (HResult r = reader.ensureBits(1); r != hr::ok) return r;
            reader.skipBits(1);  // marker_bit
        }
        flags |= allBlocks(p.block_count);
        if (HResult r = intraBlocks(reader, ctx); r != hr::ok) return r;
        if (!concealment) state.resetMotionPredictors();
        return hr::ok;
    }

    std::uint32_t pattern = 0;
    if (flags & mb::pattern) {
        if (HResult r = parseCodedBlockPattern(reader, p.chroma_format, pattern, state.errors); r != hr::ok)
            return r;
        pattern <<= mb::cbpShift;
        flags |= pattern;
    }
    if (HResult r = nonIntraBlocks(reader, ctx, pattern); r != hr::ok) return r;
    state.resetDcPredictors();

    if (p.picture_coding_type == PICTURE_P && !(flags & mb::motionForward)) {
        // No motion compensation: a zero forward vector from the same parity.
        state.PMV[0][0][0] = state.PMV[0][0][1] = 0;
        state.PMV[1][0][0] = state.PMV[1][0][1] = 0;
        flags &= ~mb::motionTypeMask;
        flags |= mb::motionForward;
        if (p.framePicture()) {
            flags |= MC_FRAME << mb::motionTypeShift;
        } else {
            flags |= MC_FIELD << mb::motionTypeShift;
            if (p.picture_structure == BOTTOM_FIELD) flags |= mb::fieldSelect(0, 0);
        }
    }
    if (motionTypeOf(flags) == MC_DUAL_PRIME) applyDualPrime(p, state, flags);
    return hr::ok;
}

}  // namespace

HResult decodeSlice(BitReader& reader, const SliceContext& ctx, std::int32_t& firstAddress) {
    const PictureParams& p = ctx.params;
    ParserState& state = ctx.state;
    RowArrays& rows = ctx.rows;
    std::int32_t address;
    if (HResult r = parseSliceHeader(reader, p, state, address); r != hr::ok) return r;
    firstAddress = address;

    for (;;) {
        if (rows.freeBlocks() < p.block_count) return kBitstreamError;
        std::uint32_t flags;
        if (HResult r = parseMacroblock(reader, ctx, flags); r != hr::ok) return r;
        rows.record(flags, flags & mb::intra, state.PMV);

        if (++address == p.mb_count) return kPictureFinished;
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
