// tlvplay's command line.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/tlvplay/media_type.h"

namespace tl::tlvplay {

enum class Renderer { Vmr9, Vmr7, Default, Null, Grab, Dxva };

// One layer over the video: text on a background, or an image file.
struct OsdOptions {
    std::string text;   // --osd-text
    std::string image;  // --osd-image: its size replaces the rectangle's
    RECT rect{16, 16, 336, 48};
    std::uint32_t backColor = 0x80000000;  // 0xAARRGGBB
    std::uint32_t foreColor = 0xFFFFFFFF;
};

struct Options {
    std::string input;
    Renderer renderer = Renderer::Default;
    std::string grabDirectory;             // --renderer grab DIR, or dxva grab DIR
    const OutputFormat* format = nullptr;  // --format, null when not given
    int deinterlace = -1;                  // tagDEINTERLACE value, -1 when not given
    double seconds = 0;                    // 0: play to the end
    bool raw = false;                      // grab raw samples instead of BMP files
    int pid = -1;                          // transport stream video packet identifier, -1: from the tables
    bool properties = false;               // --properties: the decoder's property frame while it plays
    OsdOptions osd;
    std::vector<std::string> plugins;      // --plugin NAME, each enabled for this run
};

// False with a one-line reason in *error for anything it cannot use.
bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* error);

const char* Usage();
const char* RendererName(Renderer renderer);

}  // namespace tl::tlvplay
