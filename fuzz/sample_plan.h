// Turning a fuzz input into the compressed samples an upstream filter would
// hand the decoder: elementary stream cut at sizes drawn from a seed, the same
// wrapped in video PES packets or packs, or cut at the container start codes
// the input itself carries.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/framework/host_interfaces.h"

namespace tl::fuzz {

enum class SampleForm : std::uint8_t {
    Elementary = 0,  // cut at drawn sizes
    Pes = 1,         // each cut wrapped in a video PES packet with a PTS
    Pack = 2,        // each cut wrapped in a pack header and a PES packet
    Demuxed = 3,     // one sample per pack or video PES start code found in the input
};

struct CutPlan {
    SampleForm form = SampleForm::Elementary;
    std::uint16_t seed = 1;
    std::uint8_t sizeClass = 0;  // 0: 1-16 bytes, 1: 1-512, 2: 1-8192, 3: all in one
    bool timeStamps = false;     // some samples carry a valid start time
    bool discontinuities = false;  // some samples carry the data discontinuity flag
};

struct PlannedSample {
    std::vector<std::uint8_t> bytes;
    ReferenceTime start = kNoTime;
    std::uint32_t flags = 0;
};

std::vector<PlannedSample> CutIntoSamples(const std::uint8_t* data, std::size_t size, const CutPlan& plan);

}  // namespace tl::fuzz
