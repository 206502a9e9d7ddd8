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

    // Sequence headers behind the damage, and the group of pictures after each.
    std::vector<const StartCode*> groups;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes[i].code != 0xB3 || codes[i].offset <= lastDamage) continue;
        for (std::size_t j = i + 1; j < codes.size() && codes[j].code != 0xB3; ++j) {
            if (codes[j].code == 0xB8) {
                groups.push_back(&codes[j]);
                break;
            }
        }
    }
    const StartCode* resync = nullptr;
    if (!groups.empty() && closedGop(*groups[0]))
        resync = groups[0];
    else if (groups.size() > 1)
        resync = groups[1];
    if (resync) intact.intactTail = picturesIn(resync->offset, stream.size());
    return intact;
}

}  // namespace tl::test
