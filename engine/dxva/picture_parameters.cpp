#include "engine/dxva/picture_parameters.h"

#include "engine/base/picture.h"

namespace tl::dxva {

DXVA_PictureParameters makePictureParameters(const StreamState& s, const PictureTargets& targets) {
    DXVA_PictureParameters pp{};
    const std::uint16_t current = std::uint16_t(targets.current->index);
    const int type = s.picture_coding_type;
    pp.wDecodedPictureIndex = current;
    pp.wDeblockedPictureIndex = 0;
    // A missing reference points at the picture itself, so an accelerator
    // never reads a surface that holds no picture of this stream.
    pp.wForwardRefPictureIndex =
        type == PICTURE_I ? kNoSurface : targets.forward ? std::uint16_t(targets.forward->index) : current;
    pp.wBackwardRefPictureIndex =
        type != PICTURE_B ? kNoSurface : targets.backward ? std::uint16_t(targets.backward->index) : current;
    const bool frame = s.picture_structure == FRAME_PICTURE;
    pp.wPicWidthInMBminus1 = std::uint16_t(s.mb_width - 1);
    pp.wPicHeightInMBminus1 = std::uint16_t((frame ? s.mb_height : s.mb_height / 2) - 1);
    pp.bMacroblockWidthMinus1 = 15;
    pp.bMacroblockHeightMinus1 = 15;
    pp.bBlockWidthMinus1 = 7;
    pp.bBlockHeightMinus1 = 7;
    pp.bBPP = 8;
    pp.bPicStructure = std::uint8_t(s.picture_structure);
    pp.bSecondField = targets.secondField ? 1 : 0;
    pp.bPicIntra = type == PICTURE_I ? 1 : 0;
    pp.bPicBackwardPrediction = type == PICTURE_B ? 1 : 0;
    pp.bChromaFormat = std::uint8_t(s.chroma_format);
    pp.bPicScanFixed = 1;
    pp.bPicScanMethod = s.alternate_scan ? 1 : 0;
    return pp;
}

}  // namespace tl::dxva
