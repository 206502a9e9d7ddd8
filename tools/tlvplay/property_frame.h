// The decoder's property frame while the graph plays: its own pages and the
// Capture page, over the playing filter. The user may close it at any time; it
// closes itself when the time is up or, without a time, when the stream ends.
#pragma once
#include <windows.h>

#include <dshow.h>

namespace tl::tlvplay {

// Returns when the frame is gone, with the graph's completion event code, or 0
// when the stream had not ended. `deadline` is a GetTickCount64 time, or 0.
long ShowPropertiesWhilePlaying(IBaseFilter* decoder, IMediaEvent* events, ULONGLONG deadline);

}  // namespace tl::tlvplay
