#include "engine/macroblock/macroblock_blocks.h"

#include "engine/macroblock/coefficients.h"

namespace tl {

HResult decodeIntraMacroblockBlocks(LocalBits& bits, const PictureParams& p, ParserState& state,
                                    ScaledMatrixCache& matrices, std::int16_t* blocks) {
    IntraBlockJob job;
    job.blockCount = p.block_count;
    job.lumaWeights = matrices.get(MATRIX_INTRA_LUMA, state.quantiser_scale);
    job.chromaWeights = p.chroma_format == CHROMA_420 ? job.lumaWeights
                                                      : matrices.get(MATRIX_INTRA_CHROMA, state.quantiser_scale);
    job.scan = p.scan;
    job.b15 = p.intra_vlc_format;
    job.dcShift = p.intra_dc_shift;
    job.dcPredictors = state.dc_dct_pred;
    job.blocks = blocks;
    return decodeIntraBlocks(bits, job, state.errors);
}

HResult decodeNonIntraMacroblockBlocks(LocalBits& bits, const PictureParams& p, ParserState& state,
                                       ScaledMatrixCache& matrices, std::uint32_t pattern, std::int16_t* blocks) {
    const std::uint16_t* lumaWeights = nullptr;
    const std::uint16_t* chromaWeights = nullptr;
    if (pattern & 0xF0000000u) lumaWeights = matrices.get(MATRIX_NON_INTRA_LUMA, state.quantiser_scale);
    if (pattern & 0x0FF00000u) {
        chromaWeights = p.chroma_format == CHROMA_420
                            ? (lumaWeights ? lumaWeights : matrices.get(MATRIX_NON_INTRA_LUMA, state.quantiser_scale))
                            : matrices.get(MATRIX_NON_INTRA_CHROMA, state.quantiser_scale);
    }
    return decodeNonIntraBlocks(bits, blocks, pattern, lumaWeights, chromaWeights, p.scan,
                                state.errors);
}

}  // namespace tl
