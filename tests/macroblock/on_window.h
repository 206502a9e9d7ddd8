// Runs one leaf parser of the slice layer on a bit window over a test reader.
#pragma once
#include "engine/macroblock/local_bits.h"
#include "tests/support/bit_writer.h"

namespace tl::test {

// Hands the window back afterwards, so that the reader shows what was consumed.
template <class Parse>
HResult onWindow(TestReader& t, Parse parse) {
    LocalBits bits(t.reader);
    const HResult r = parse(bits);
    bits.writeBack();
    return r;
}

}  // namespace tl::test
