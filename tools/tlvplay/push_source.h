// A source filter that pushes an MPEG-2 video file downstream from its own thread:
// one output pin offering MPEG-2 video (PES packets for a program stream, chunks of
// the elementary stream otherwise), seekable through IMediaSeeking on the pin. A
// seek flushes downstream and starts a new segment at the requested time, with
// delivery resuming at the entry point before it.
#pragma once
#include <windows.h>

#include <strmif.h>

#include <memory>

#include "tools/tlvplay/mpeg_source.h"

namespace tl::tlvplay {

// The filter's IBaseFilter. The output pin is named "Video Out".
HRESULT CreatePushSource(std::unique_ptr<MpegSource> source, IBaseFilter** out);

}  // namespace tl::tlvplay
