// Decoder state that the slice and macroblock parsers carry from one
// macroblock to the next. Shared by the software path and the DirectX VA path.
#pragma once
#include <cstdint>

namespace tl {

struct ParserState {
    std::int32_t quantiser_scale = 0;  // the scale, not the code
    // Reset to 0, not to the mid level: intra blocks are reconstructed centred
    // on zero and the intra store adds 128.
    std::int32_t dc_dct_pred[3] = {0, 0, 0};
    // [r][s][t]: first/second vector, forward/backward, horizontal/vertical, in
    // half samples; field vectors of frame pictures keep the vertical component
    // in frame units (twice the field value).
    std::int32_t PMV[2][2][2] = {{{0, 0}, {0, 0}}, {{0, 0}, {0, 0}}};
    std::int32_t dmvector[2] = {0, 0};
    std::uint32_t errors = 0;  // bitstream errors, the "Errors" statistic

    void resetDcPredictors() { dc_dct_pred[0] = dc_dct_pred[1] = dc_dct_pred[2] = 0; }
    void resetMotionPredictors() {
        for (auto& r : PMV)
            for (auto& s : r) s[0] = s[1] = 0;
    }
};

}  // namespace tl
