#include "convert/yuy2_widen.h"

#include <algorithm>
#include <cstddef>

namespace tl {

namespace {

void widenRow(std::uint8_t* row, int pictureWidth, int outputWidth, std::int32_t step) {
    std::int64_t position = static_cast<std::int64_t>(pictureWidth) * 65536 + 32768;
    for (int x = outputWidth - 1; x >= 0; --x) {
        position -= step;
        const std::int64_t source = std::max<std::int64_t>(position >> 16, 0);
        row[2 * x] = row[2 * source];
    }
    position = static_cast<std::int64_t>(pictureWidth / 2) * 65536 + 32768;
    for (int pair = outputWidth / 2 - 1; pair >= 0; --pair) {
        position -= step;
        const std::int64_t source = std::max<std::int64_t>(position >> 16, 0);
        row[4 * pair + 1] = row[4 * source + 1];
        row[4 * pair + 3] = row[4 * source + 3];
    }
}

}  // namespace

void WidenYuy2Rows(std::uint8_t* buffer, std::int64_t bufferSize, int rowPitch, int pictureWidth,
                   int pictureHeight, int outputWidth, int outputHeight) {
    if (buffer == nullptr || pictureWidth <= 0 || outputWidth <= pictureWidth || rowPitch < 2 * outputWidth)
        return;
    const std::int32_t step =
            static_cast<std::int32_t>(static_cast<std::int64_t>(pictureWidth) * 65536 / outputWidth);
    const auto fits = [&](int row) {
        return static_cast<std::int64_t>(row) * rowPitch + 2 * outputWidth <= bufferSize;
    };
    for (int y = 0; y < pictureHeight && fits(y); ++y)
        widenRow(buffer + static_cast<std::ptrdiff_t>(y) * rowPitch, pictureWidth, outputWidth, step);
    for (int y = std::max(pictureHeight, 0); y < outputHeight && fits(y); ++y) {
        std::uint8_t* row = buffer + static_cast<std::ptrdiff_t>(y) * rowPitch;
        for (int x = 0; x + 1 < 2 * outputWidth; x += 2) {
            row[x] = 0x00;
            row[x + 1] = 0x80;
        }
    }
}

}  // namespace tl
