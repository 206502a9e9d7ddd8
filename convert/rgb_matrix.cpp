#include "convert/rgb_matrix.h"

#include <algorithm>
#include <cstring>

namespace tl {

const std::int16_t kMatrixCoefficientTable[8][8] = {
    {17307, 9539, -1744, 0, 14688, 9539, -4363, 9539},  // 0: forbidden, treated as BT.709
    {17307, 9539, -1744, 0, 14688, 9539, -4363, 9539},  // 1: ITU-R BT.709
    {16525, 9539, -3209, 0, 13075, 9539, -6660, 9539},  // 2: unspecified, BT.601
    {16525, 9539, -3209, 0, 13075, 9539, -6660, 9539},  // 3: reserved, BT.601
    {16600, 9539, -3095, 0, 13056, 9539, -6639, 9539},  // 4: FCC
    {16525, 9539, -3209, 0, 13075, 9539, -6660, 9539},  // 5: ITU-R BT.470-2 System B, G
    {16525, 9539, -3209, 0, 13075, 9539, -6660, 9539},  // 6: SMPTE 170M
    {17029, 9539, -2113, 0, 14697, 9539, -4445, 9539},  // 7: SMPTE 240M
};

namespace {

std::int16_t scaled(std::int16_t w, int amount) {
    const std::int32_t v = static_cast<std::int32_t>(w) * (amount + 256) / (256 - amount);
    return static_cast<std::int16_t>(std::clamp<std::int32_t>(v, -32768, 32767));
}

}  // namespace

RgbMatrixBlock buildRgbMatrix(int matrixCoefficients, int brightness, int contrast, int saturation) {
    RgbMatrixBlock m;
    std::memset(&m, 0, sizeof m);
    const int d = brightness - 16;
    for (int lane = 2; lane < 16; lane += 4) {
        if (d < 0)
            m.lumaSubtract[lane] = static_cast<std::uint8_t>(-d);
        else
            m.lumaAdd[lane] = static_cast<std::uint8_t>(d);
    }
    const int row = matrixCoefficients >= 0 && matrixCoefficients <= 7 ? matrixCoefficients : 1;
    std::memcpy(m.w, kMatrixCoefficientTable[row], sizeof m.w);
    if (contrast != 0) {
        for (int i : {0, 1, 2, 4}) m.w[i] = scaled(m.w[i], contrast);
        m.w[5] = m.w[1];
        m.w[6] = scaled(m.w[6], contrast);
        m.w[7] = m.w[1];
    }
    if (saturation != 0)
        for (int i : {0, 2, 4, 6}) m.w[i] = scaled(m.w[i], saturation);
    return m;
}

}  // namespace tl
