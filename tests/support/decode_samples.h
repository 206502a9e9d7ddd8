// A whole decode through a fresh decoder object with the planar output and
// weave: what came out, and what was left behind.
#pragma once
#include <string>
#include <vector>

#include "tests/support/recording_host.h"
#include "tests/support/stream_cuts.h"

namespace tl::test {

struct DecodeResult {
    std::vector<Delivery> pictures;
    std::vector<std::string> digests;  // as the corpus .md5 files record them
    std::uint32_t errors = 0;
    long referencesLeft = 0;    // input sample references not given back after Uninit
    int outputSamplesLeft = 0;  // output samples not released
};

// Init, every sample, end of stream, Uninit.
DecodeResult decodeSamples(const std::vector<Bytes>& samples);

}  // namespace tl::test
