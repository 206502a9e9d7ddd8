// A whole decode through a fresh decoder object with the planar output and
// weave: what came out, and what was left behind.
#pragma once
#include <string>
#include <vector>

#include "engine/framework/video_decoder.h"
#include "tests/support/decoder_inputs.h"
#include "tests/support/recording_host.h"
#include "tests/support/stream_cuts.h"

namespace tl::test {

struct DecodeResult {
    std::vector<Delivery> pictures;
    std::vector<std::string> digests;  // as the corpus .md5 files record them
    tl::StreamInfo info;  // the decoder's statistics after end of stream
    std::string types;    // one letter per delivery
    long referencesLeft = 0;    // input sample references not given back after Uninit
    int outputSamplesLeft = 0;  // output samples not released
};

// Every sample in order, without a time; false when the decoder refused one.
bool feedSamples(VideoDecoder& decoder, const std::vector<Bytes>& samples, ReferenceCounter* counter = nullptr);

// Init, every sample, end of stream, Uninit. With a connection that takes
// interlaced samples (weave) every picture is one delivery. keepBytes keeps
// each delivered sample's bytes; conceal turns error concealment on.
DecodeResult decodeSamples(const std::vector<Bytes>& samples, bool keepBytes = false, bool conceal = false);

}  // namespace tl::test
