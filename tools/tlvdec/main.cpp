// tlvdec: decodes an MPEG-2 video stream with the decoder object, fed exactly
// as an upstream filter feeds the DirectShow filter.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "engine/framework/video_decoder.h"
#include "tools/tlvdec/options.h"
#include "tools/tlvdec/program_stream.h"
#include "tools/tlvdec/stream_report.h"
#include "tools/tlvdec/tlvdec_host.h"

namespace {

using namespace tl;
using namespace tl::tlvdec;

// Samples the decoder may hold at once, like an upstream allocator's buffers.
constexpr int kSamplesInFlight = 8;

int fail(const std::string& message, bool withUsage) {
    std::fprintf(stderr, "tlvdec: %s\n", message.c_str());
    if (withUsage) std::fputs(Usage().c_str(), stderr);
    return withUsage ? 2 : 1;
}

bool readFile(const std::string& path, std::vector<std::uint8_t>& data, std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "cannot open '" + path + "': " + std::strerror(errno);
        return false;
    }
    std::uint8_t buffer[1 << 16];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) data.insert(data.end(), buffer, buffer + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    if (!ok) error = "cannot read '" + path + "'";
    return ok;
}

bool hasProgramStreamExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos) return false;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return ext == "mpg" || ext == "mpeg" || ext == "vob";
}

// The samples an upstream filter would deliver: one per video PES packet of a
// program stream, or fixed-size chunks of an elementary stream.
std::vector<VideoPacket> cutIntoSamples(const std::vector<std::uint8_t>& data, const Options& options) {
    if (StartsWithPackHeader(data.data(), data.size()) || hasProgramStreamExtension(options.input))
        return DemultiplexVideo(data.data(), data.size());
    std::vector<VideoPacket> samples;
    const std::size_t chunk = std::size_t(options.chunk);
    for (std::size_t offset = 0; offset < data.size(); offset += chunk)
        samples.push_back({offset, std::min(chunk, data.size() - offset), kNoTime});
    return samples;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) return fail(error, true);

    std::vector<std::uint8_t> data;
    if (!readFile(options.input, data, error)) return fail(error, true);

    const bool picturesToStdout = options.output == "-";
    std::FILE* pictures = nullptr;
    if (picturesToStdout) {
#ifdef _WIN32
        _setmode(_fileno(stdout), _O_BINARY);
#endif
        pictures = stdout;
    } else if (!options.output.empty()) {
        pictures = std::fopen(options.output.c_str(), "wb");
        if (!pictures) return fail("cannot create '" + options.output + "': " + std::strerror(errno), true);
    }
    std::FILE* text = picturesToStdout ? stderr : stdout;

    ToolSettings settings;
    TlvdecHost host(pictures, options.timestamps ? text : nullptr, options.frames);
    VideoDecoder decoder;
    if (failed(decoder.Init(&settings, &host))) return fail("the decoder could not start", false);

    InFlightLimit limit(kSamplesInFlight);
    bool fed = true;
    for (const VideoPacket& packet : cutIntoSamples(data, options)) {
        if (host.limitReached()) break;
        BufferSample* sample =
            BufferSample::make(data.data() + packet.offset, std::int32_t(packet.length), packet.start, &limit);
        const HResult r = decoder.Receive(sample);
        sample->release();
        if (r != hr::ok) {
            fed = false;
            break;
        }
    }
    if (fed && !host.limitReached()) decoder.EndOfStream();
    const StreamInfo info = decoder.streamInfo();
    decoder.Uninit();

    if (pictures && !picturesToStdout && std::fclose(pictures) != 0) return fail("cannot write pictures", false);
    if (host.writeFailed()) return fail("cannot write pictures", false);
    if (!fed) return fail("the decoder stopped taking samples", false);
    if (options.info) PrintStreamInfo(text, info, host.delivered());
    return 0;
}
