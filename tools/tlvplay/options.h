// tlvplay's command line.
#pragma once
#include <string>

#include "tools/tlvplay/media_type.h"

namespace tl::tlvplay {

enum class Renderer { Vmr9, Vmr7, Default, Null, Grab };

struct Options {
    std::string input;
    Renderer renderer = Renderer::Default;
    std::string grabDirectory;             // --renderer grab DIR
    const OutputFormat* format = nullptr;  // --format, null when not given
    int deinterlace = -1;                  // tagDEINTERLACE value, -1 when not given
    double seconds = 0;                    // 0: play to the end
    bool raw = false;                      // grab raw samples instead of BMP files
};

// False with a one-line reason in *error for anything it cannot use.
bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* error);

const char* Usage();
const char* RendererName(Renderer renderer);

}  // namespace tl::tlvplay
