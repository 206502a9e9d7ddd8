#include "engine/dxva/coefficient_forms.h"

#include "engine/dxva/little_endian.h"

namespace tl::dxva {

std::size_t writeSingleCoefficients(std::uint8_t* out, const RunLevelPair* pairs, int count) {
    for (int i = 0; i < count; ++i) {
        const bool last = i == count - 1;
        put16(out + 4 * i, std::uint32_t(pairs[i].run) * 2 + (last ? 1 : 0));
        put16(out + 4 * i + 2, std::uint16_t(pairs[i].value));
    }
    return singleCoefficientBytes(count);
}

std::size_t writeGroupedCoefficients(std::uint8_t* out, const RunLevelPair* pairs, int count) {
    for (int first = 0; first < count; first += 4, out += 12) {
        std::int16_t value = 0;
        for (int j = 0; j < 4; ++j) {
            const int i = first + j;
            std::uint8_t index = kGroupPaddingIndex;
            if (i < count) {
                index = std::uint8_t(pairs[i].run);
                value = pairs[i].value;
            }
            out[3 - j] = index;
            put16(out + 10 - 2 * j, std::uint16_t(value));
        }
    }
    return groupedCoefficientBytes(count);
}

}  // namespace tl::dxva
