#include "engine/macroblock/motion_vectors.h"

namespace tl {
namespace {

// (v * m) // 2 with halves rounded away from zero, for odd m.
std::int32_t scaleDualPrime(std::int32_t v, int m) { return (v * m + (v > 0)) >> 1; }

}  // namespace

void applyDualPrime(const PictureParams& params, ParserState& state, std::uint32_t& flags) {
    const std::int32_t dx = state.dmvector[0];
    const std::int32_t dy = state.dmvector[1];
    const std::int32_t x = state.PMV[0][0][0];
    flags &= ~(mb::fieldSelect(0, 0) | mb::fieldSelect(0, 1) | mb::fieldSelect(1, 0) | mb::fieldSelect(1, 1));
    if (params.framePicture()) {
        const std::int32_t y = state.PMV[0][0][1] >> 1;  // field units
        state.PMV[1][0][0] = state.PMV[0][0][0];
        state.PMV[1][0][1] = state.PMV[0][0][1];
        // Top field predicted from the bottom field, then bottom from top.
        const int mTop = params.top_field_first ? 1 : 3;
        const int mBottom = params.top_field_first ? 3 : 1;
        state.PMV[0][1][0] = scaleDualPrime(x, mTop) + dx;
        state.PMV[0][1][1] = (scaleDualPrime(y, mTop) + dy - 1) * 2;
        state.PMV[1][1][0] = scaleDualPrime(x, mBottom) + dx;
        state.PMV[1][1][1] = (scaleDualPrime(y, mBottom) + dy + 1) * 2;
        flags |= mb::fieldSelect(0, 1) | mb::fieldSelect(1, 0);
    } else {
        const std::int32_t y = state.PMV[0][0][1];
        const bool top = params.picture_structure == TOP_FIELD;
        state.PMV[0][1][0] = scaleDualPrime(x, 1) + dx;
        state.PMV[0][1][1] = scaleDualPrime(y, 1) + dy + (top ? -1 : 1);
        flags |= top ? mb::fieldSelect(0, 1) : mb::fieldSelect(0, 0);
    }
}

}  // namespace tl
