// Builds the graph source -> decoder filter -> renderer, runs it to the end of the
// stream or for a set time, and reports what went through.
#pragma once
#include <windows.h>

#include <dshow.h>

#include <string>

#include "filter/com/com_ptr.h"
#include "tools/tlvplay/options.h"

namespace tl::tlvplay {

struct PlayReport {
    bool ok = false;
    std::string error;        // one line, when !ok
    long frames = -1;         // delivered to the renderer; -1 when it cannot tell
    long decoderErrors = -1;  // the decoder's Errors statistic; -1 when unavailable
    long undeliveredFrames = -1;  // larger than the size the renderer kept; -1 when unavailable
    std::string inputType;    // source -> decoder connection
    std::string outputType;   // decoder -> renderer connection
    bool completed = false;   // EC_COMPLETE arrived (else the time ran out)
    double seconds = 0;       // how long the graph ran
};

// COM must be initialised on the calling thread.
PlayReport Play(const Options& options);

// Plays through a decoder filter the caller created and configured (a script, for
// one). With `running` given, a graph that played to the end is left running and
// its control handed out, so that the decoder and its statistics stay alive until
// the caller stops it.
PlayReport Play(const Options& options, IBaseFilter* decoder, com::ComPtr<IMediaControl>* running);

// The one-line summary printed at the end.
std::string Summarize(const Options& options, const PlayReport& report);

}  // namespace tl::tlvplay
