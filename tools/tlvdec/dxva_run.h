// tlvdec --dxva: the whole decode through the software accelerator.
#pragma once
#include <cstdio>
#include <functional>
#include <string>

#include "engine/framework/stream_info.h"
#include "tools/common/stream_reader.h"
#include "tools/tlvdec/options.h"
#include "tools/tlvdec/tlvdec_host.h"

namespace tl::tlvdec {

struct DxvaRunResult {
    StreamInfo info;
    std::int64_t displayed = 0;
};

// Feeds the samples `next` gives to a decoder connected in options.dxvaMode,
// writes the displayed surfaces to `pictures` and their digests to `digests`
// (either may be null). False with a message on failure.
bool RunDxva(const Options& options, ToolSettings& settings, const std::function<bool(tools::StreamSample&)>& next,
             std::FILE* pictures, std::FILE* digests, std::FILE* log, DxvaRunResult& result, std::string& error);

}  // namespace tl::tlvdec
