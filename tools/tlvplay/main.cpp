// tlvplay INPUT [options]: plays an MPEG-2 video file through a DirectShow graph of
// our push source, the video decoder filter and a renderer, then prints one line
// of what went through.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tools/tlvplay/options.h"
#include "tools/tlvplay/player.h"
#include "tools/tlvplay/plugin_switch.h"

int main(int argc, char** argv) {
    using namespace tl::tlvplay;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(Usage(), stdout);
            return 0;
        }
    }
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "tlvplay: %s\n%s", error.c_str(), Usage());
        return 2;
    }
    // Renderer windows belong to this thread's apartment; the wait loop pumps them.
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        std::fputs("tlvplay: COM cannot be initialised\n", stderr);
        return 1;
    }
    PlayReport report;
    {
        // Plug-ins load when the filter joins its graph; the values go back
        // once the graph is gone.
        PluginSwitch plugins;
        for (const std::string& name : options.plugins) {
            if (!plugins.Enable(name, &error)) {
                std::fprintf(stderr, "tlvplay: %s\n", error.c_str());
                return 2;
            }
        }
        report = Play(options);
    }
    CoUninitialize();
    if (!report.ok) {
        std::fprintf(stderr, "tlvplay: %s\n", report.error.c_str());
        if (report.frames >= 0) std::fprintf(stderr, "%s\n", Summarize(options, report).c_str());
        return 1;
    }
    if (report.undeliveredFrames > 0)
        std::fprintf(stderr,
                     "tlvplay: %ld pictures were larger than the size the renderer kept and were not shown\n",
                     report.undeliveredFrames);
    std::printf("%s\n", Summarize(options, report).c_str());
    return 0;
}
