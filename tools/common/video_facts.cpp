#include "tools/common/video_facts.h"

namespace tl::tools {
namespace {

constexpr std::uint8_t kPictureStartCode = 0x00;
constexpr std::uint8_t kSequenceHeaderCode = 0xB3;
constexpr std::uint8_t kExtensionStartCode = 0xB5;
constexpr int kSequenceExtension = 1;
constexpr int kPictureCodingExtension = 8;

std::size_t nextStartCode(const std::uint8_t* d, std::size_t size, std::size_t from) {
    for (std::size_t i = from; i + 3 < size; ++i)
        if (d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1) return i;
    return size;
}

}  // namespace

VideoFacts ReadVideoFacts(const std::uint8_t* es, std::size_t size) {
    VideoFacts facts;
    int previous = -1;  // the start code before the current one
    for (std::size_t at = nextStartCode(es, size, 0); at < size; at = nextStartCode(es, size, at + 3)) {
        const std::uint8_t code = es[at + 3];
        if (code == kSequenceHeaderCode) {
            facts.sequenceHeader = true;
        } else if (!facts.sequenceHeader) {
            // Whatever comes before the first sequence header cannot be decoded yet.
        } else if (code == kExtensionStartCode && at + 8 <= size) {
            const int id = es[at + 4] >> 4;
            if (id == kSequenceExtension && previous == kSequenceHeaderCode) {
                facts.mpeg2 = true;
                facts.progressiveSequence = (es[at + 5] >> 3 & 1) != 0;
            } else if (id == kPictureCodingExtension && facts.mpeg2) {
                facts.topFieldFirst = (es[at + 7] >> 7) != 0;
                facts.pictureSeen = true;
                return facts;
            }
        } else if (code == kPictureStartCode) {
            facts.pictureAfterSequence = true;
            if (!facts.mpeg2) return facts;
        }
        previous = code;
    }
    return facts;
}

}  // namespace tl::tools
