// A whole decode through the DirectX VA path into the software accelerator,
// with what came out of it: the digests of the displayed surfaces (as the
// corpus .md5 files record pictures) and the presentation samples' properties.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "engine/framework/video_decoder.h"
#include "tests/support/stream_cuts.h"
#include "tools/dxva_soft/soft_host.h"

namespace tl::test {

struct DxvaDecode {
    std::vector<std::string> digests;
    std::vector<std::vector<std::uint8_t>> lumas;  // visible luma of each shown surface, with keepLuma
    std::vector<OutputSample::Properties> shown;
    tl::StreamInfo info;
    int pendingAnswers = 0;
    int presentationSamplesLeft = 0;
    long referencesLeft = 0;
};

struct DxvaRun {
    dxva_soft::Options accelerator;
    int deinterlace = 2;  // the Deinterlace setting: weave
    bool alwaysDeinterlace = false;
    OverlayPainter* layers = nullptr;
    bool keepLuma = false;
    // Before Init, e.g. to put a recording accelerator in front.
    std::function<void(dxva_soft::SoftDxvaHost&)> setup;
    // After this many samples have been shown the decoder is flushed (a seek), -1: never.
    int flushAfter = -1;
};

DxvaDecode decodeThroughDxva(const std::vector<Bytes>& samples, const DxvaRun& run);

}  // namespace tl::test
