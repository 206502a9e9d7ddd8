// Where damage to a stream can no longer reach the pictures, from the map of
// its start codes.
#pragma once
#include <cstddef>

#include "tests/support/stream_cuts.h"

namespace tl::test {

// Which delivered pictures damage at one byte of an elementary stream cannot
// have touched, in display order: the first `intactPrefix` pictures (the groups
// of pictures before the one holding the damage, less the last reference
// picture, whose output may wait for the damaged pictures), and the last
// `intactTail` (from the first group after the damage that needs no picture
// before it: a closed group behind a sequence header, else the second group
// behind a sequence header after the damage). Frame pictures only.
struct IntactPictures {
    std::size_t intactPrefix = 0;
    std::size_t intactTail = 0;
};
IntactPictures intactAround(const Bytes& stream, std::size_t firstDamage, std::size_t lastDamage);

}  // namespace tl::test
