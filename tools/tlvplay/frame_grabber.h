// A renderer of our own that writes every frame it receives into a directory, as
// frame_00000.bmp (or .raw) upwards. It takes one uncompressed type (the one asked
// for, or any of the tool's output formats), keeps no clock, and reports
// EC_COMPLETE when the stream ends while it runs.
#pragma once
#include <windows.h>

#include <strmif.h>

#include <memory>
#include <string>

#include "tools/tlvplay/frame_writer.h"
#include "tools/tlvplay/media_type.h"

namespace tl::tlvplay {

struct GrabberSettings {
    std::string directory;
    const OutputFormat* format = nullptr;  // null: any output format
    FrameFile file = FrameFile::Bitmap;
};

// The filter's IBaseFilter; counts receives the grabber's tallies as they happen.
HRESULT CreateFrameGrabber(const GrabberSettings& settings, std::shared_ptr<GrabberCounts> counts,
                           IBaseFilter** out);

}  // namespace tl::tlvplay
