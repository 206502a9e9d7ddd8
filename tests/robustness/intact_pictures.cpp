#include "tests/robustness/intact_pictures.h"

#include <algorithm>

namespace tl::test {

IntactPictures intactAround(const Bytes& stream, std::size_t firstDamage, std::size_t lastDamage) {
    const std::vector<StartCode> codes = findStartCodes(stream);
    auto picturesIn = [&](std::size_t from, std::size_t to) {
        return std::size_t(std::count_if(codes.begin(), codes.end(), [&](const StartCode& c) {
            return c.code == 0x00 && c.offset >= from && c.offset < to;
        }));
    };
    auto closedGop = [&](const StartCode& c) { return c.offset + 7 < stream.size() && (stream[c.offset + 7] & 0x40); };

    IntactPictures intact;
    std::size_t groupStart = 0;
    for (const StartCode& c : codes)
        if ((c.code == 0xB3 || c.code == 0xB8) && c.offset <= firstDamage) groupStart = c.offset;
    const std::size_t before = picturesIn(0, groupStart);
    intact.intactPrefix = before > 0 ? before - 1 : 0;

    // The group of pictures right after each sequence header behind the damage:
    // the first when it is closed, else the second.
    int groups = 0;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes[i].code != 0xB3 || codes[i].offset <= lastDamage) continue;
        std::size_t j = i + 1;
        while (j < codes.size() && codes[j].code != 0xB3 && codes[j].code != 0xB8) ++j;
        if (j == codes.size() || codes[j].code != 0xB8) continue;
        if (++groups == 2 || closedGop(codes[j])) {
            intact.intactTail = picturesIn(codes[j].offset, stream.size());
            break;
        }
    }
    return intact;
}

}  // namespace tl::test
