// tlvdec: decodes an MPEG-2 video stream with the decoder object, fed exactly
// as an upstream filter feeds the DirectShow filter.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "convert/dispatch.h"
#include "convert/procamp.h"
#include "engine/framework/pes_parser.h"
#include "engine/framework/video_decoder.h"
#include "engine/macroblock/kernel_slots.h"
#include "tools/common/frame_bitmap.h"
#include "tools/common/pes_header.h"
#include "tools/common/stream_reader.h"
#include "tools/common/video_facts.h"
#include "tools/tlvdec/bmp_file.h"
#include "tools/tlvdec/dxva_run.h"
#include "tools/tlvdec/options.h"
#include "tools/tlvdec/still_image.h"
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

const char* tierName(int tier) {
    static const char* const kNames[] = {"plain", "MMX", "SSE", "SSE2", "SSE3", "AVX2"};
    return tier >= 0 && tier <= 5 ? kNames[tier] : "?";
}

// The settings an option run asks for. A forced kernel tier also keeps the
// conversion below it: no SSE for plain and MMX, no SSE2 for SSE, nothing
// above SSE2 (SSE3 and AVX2 share one switch) for SSE2.
ToolSettings settingsFor(const Options& options) {
    ToolSettings s;
    s.deinterlaceMode = options.deinterlace;
    s.colourCorrection = options.colorCorrection;
    s.conceal = options.conceal;
    if (options.cpuTier >= 0 && options.cpuTier <= int(KernelTier::SSE2)) s.sse3 = false;
    if (options.cpuTier >= 0 && options.cpuTier < int(KernelTier::SSE2)) s.sse2 = false;
    if (options.cpuTier >= 0 && options.cpuTier < int(KernelTier::SSE)) s.sse = false;
    return s;
}

bool applyProcAmp(VideoDecoder& decoder, const Options& options) {
    const std::pair<std::int32_t, std::optional<int>> values[] = {
        {VideoProcAmp_Brightness, options.brightness},
        {VideoProcAmp_Contrast, options.contrast},
        {VideoProcAmp_Saturation, options.saturation},
    };
    for (const auto& [property, value] : values)
        if (value && failed(decoder.procAmp().Set(property, *value, VideoProcAmp_Flags_Manual))) return false;
    return true;
}

// One decoder with its host; without -f tlvdec runs a second one in RGB24 for
// a snapshot, since the engine's planar layout is no renderer's format.
struct Run {
    explicit Run(const HostConfig& config) : host(config) {}
    TlvdecHost host;
    VideoDecoder decoder;
    bool fed = true;
    bool done() const { return !fed || host.limitReached(); }
};

bool namesTheInput(const Options& options) {
    if (options.output.empty() || options.output == "-" || options.input == "-") return false;
    std::error_code ignored;
    return options.output == options.input || std::filesystem::equivalent(options.output, options.input, ignored);
}

// The samples that hold the stream's first headers, read ahead so the output
// can describe the stream before the first picture is decoded.
constexpr std::size_t kLookaheadBytes = std::size_t(2) << 20;

struct Lookahead {
    std::deque<tools::StreamSample> samples;
    tools::VideoFacts facts;
};

Lookahead readAhead(tools::StreamReader& input) {
    Lookahead ahead;
    std::vector<std::uint8_t> head;
    tools::StreamSample sample;
    while (!ahead.facts.complete() && head.size() < kLookaheadBytes && input.next(sample)) {
        Payload p;
        if (ExtractSamplePayload(sample.bytes.data(), std::int32_t(sample.bytes.size()), &p)) {
            head.insert(head.end(), p.data, p.data + p.length);
            ahead.facts = tools::ReadVideoFacts(head.data(), head.size());
        }
        ahead.samples.push_back(std::move(sample));
    }
    return ahead;
}

// Why a stream gave no picture, in the words of what was found in it.
std::string whyNoPictures(const std::string& input, const tools::StreamReader& reader,
                          const tools::VideoFacts& facts, bool anySamples) {
    const std::string name = input == "-" ? "standard input" : "'" + input + "'";
    const std::string container = tools::ContainerName(reader.container());
    const bool transport = reader.container() == tools::Container::Transport ||
                           reader.container() == tools::Container::Transport192;
    if (!anySamples && transport) return name + ": " + container + " with " + reader.describeTransport();
    if (!anySamples) return name + ": " + container + " without a video stream";
    if (!facts.sequenceHeader) return name + ": " + container + " without an MPEG video sequence header";
    if (!facts.mpeg2) return name + ": MPEG-1 video (" + container + "); tlvdec decodes MPEG-2 video only";
    return name + ": no MPEG-2 picture could be decoded from the " + container;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) return fail(error, true);
    if (options.help) {
        std::fputs(Usage().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("tlvdec %s\n", TL_VERSION);
        return 0;
    }
    if (namesTheInput(options)) return fail("-o names the input file '" + options.input + "'", true);

    if (options.cpuTier >= 0) {
        if (int(detectedKernelTier()) < options.cpuTier)
            return fail(std::string("--cpu: this processor has no ") + tierName(options.cpuTier) +
                            " (the best it offers is " + tierName(int(detectedKernelTier())) + ")",
                        false);
        forceKernelTier(KernelTier(options.cpuTier));
    }

    tools::ReaderOptions readerOptions;
    readerOptions.chunk = std::size_t(options.chunk);
    readerOptions.pid = options.pid;
    tools::StreamReader input(readerOptions);
    if (!input.open(options.input, error)) return fail(error, false);
    Lookahead ahead = readAhead(input);
    const bool anySamples = !ahead.samples.empty();

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

    ToolSettings settings = settingsFor(options);
    std::optional<StillImagePainter> overlay;
    if (!options.overlayPath.empty()) {
        std::vector<std::uint8_t> file;
        if (!ReadWholeFile(options.overlayPath, file, error)) return fail(error, false);
        PremultipliedImage image;
        if (!DecodeBmp(file, image, error)) return fail("--overlay '" + options.overlayPath + "': " + error, false);
        overlay.emplace(std::move(image), int(options.overlayX), int(options.overlayY));
        settings.painter = &*overlay;
    }
    const auto nextSample = [&](tools::StreamSample& piece) {
        if (ahead.samples.empty()) return input.next(piece);
        piece = std::move(ahead.samples.front());
        ahead.samples.pop_front();
        return true;
    };
    if (options.dxvaMode) {
        DxvaRunResult result;
        const bool ok =
            RunDxva(options, settings, nextSample, pictures, options.md5 ? text : nullptr,
                    options.timestamps ? text : nullptr, result, error);
        if (pictures && !picturesToStdout && std::fclose(pictures) != 0 && ok) return fail("cannot write pictures", false);
        if (input.readFailed()) return fail("cannot read '" + options.input + "'", false);
        if (!ok) return fail(error, false);
        if (options.info) PrintStreamInfo(text, result.info, result.displayed);
        return 0;
    }
    const bool snapshotHere = options.snapshotIndex >= 0 && options.format >= 0;
    HostConfig mainConfig;
    mainConfig.format = options.format;
    mainConfig.bench = options.bench;
    mainConfig.pictures = pictures;
    mainConfig.log = options.timestamps ? text : nullptr;
    mainConfig.maxPictures = options.frames;
    mainConfig.keepIndex = snapshotHere ? options.snapshotIndex : -1;
    mainConfig.claimsInterlace = options.format < 0;
    mainConfig.digests = options.md5 ? text : nullptr;
    mainConfig.notices = stderr;
    mainConfig.y4m = WantsY4m(options);
    const tools::VideoFacts& facts = ahead.facts;
    mainConfig.y4mInterlace = !facts.mpeg2 || facts.progressiveSequence ? 'p' : facts.topFieldFirst ? 't' : 'b';
    std::vector<std::unique_ptr<Run>> runs;
    runs.push_back(std::make_unique<Run>(mainConfig));
    if (options.snapshotIndex >= 0 && !snapshotHere) {
        // Same settings and the same interlace claim, so the decoder picks the same modes.
        HostConfig snapshotConfig;
        snapshotConfig.format = OUTPUT_RGB24;
        snapshotConfig.maxPictures = options.snapshotIndex + 1;
        snapshotConfig.keepIndex = options.snapshotIndex;
        snapshotConfig.claimsInterlace = mainConfig.claimsInterlace;
        runs.push_back(std::make_unique<Run>(snapshotConfig));
    }
    Run& primary = *runs.front();
    Run& snapshot = *runs.back();
    for (auto& run : runs) {
        if (failed(run->decoder.Init(&settings, &run->host))) return fail("the decoder could not start", false);
        const bool rgb = run->host.connectionFormat().subtype >= OutputSubtype::RGB32 &&
                         run->host.connectionFormat().subtype <= OutputSubtype::RGB555;
        if (rgb && !applyProcAmp(run->decoder, options))
            return fail("the decoder refused the ProcAmp values", false);
    }

    const auto started = std::chrono::steady_clock::now();
    InFlightLimit limit(kSamplesInFlight);
    tools::StreamSample piece;
    while (nextSample(piece)) {
        if (std::all_of(runs.begin(), runs.end(), [](const auto& r) { return r->done(); })) break;
        const ReferenceTime start = piece.pts ? tools::PtsToReferenceTime(*piece.pts) : kNoTime;
        BufferSample* sample = BufferSample::make(std::move(piece.bytes), start, &limit);
        for (auto& run : runs)
            if (!run->done()) run->fed = run->decoder.Receive(sample) == hr::ok;
        sample->release();
    }
    for (auto& run : runs) {
        if (!run->done()) {
            run->decoder.EndOfStream();
        } else {
            // Enough pictures: what is still queued is not decoded.
            run->decoder.Flush(true);
            run->decoder.Flush(false);
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const StreamInfo info = primary.decoder.streamInfo();
    for (auto& run : runs) run->decoder.Uninit();

    if (input.readFailed()) return fail("cannot read '" + options.input + "'", false);
    if (pictures && !picturesToStdout && std::fclose(pictures) != 0) return fail("cannot write pictures", false);
    if (primary.host.writeFailed()) return fail("cannot write pictures", false);
    for (auto& run : runs)
        if (!run->fed) return fail("the decoder stopped taking samples", false);

    if (options.snapshotIndex >= 0) {
        const std::optional<KeptSample> kept = snapshot.host.kept();
        if (!kept)
            return fail("no snapshot: the stream delivered no sample " + std::to_string(options.snapshotIndex),
                        false);
        const std::vector<std::uint8_t> bmp = tools::FrameToBmp(
            tools::SampleView(kept->format, kept->bytes.data(), kept->bytes.size(), kept->width, kept->height, false));
        if (bmp.empty()) return fail("no snapshot: the sample cannot be written as a BMP", false);
        if (!WriteWholeFile(options.snapshotPath, bmp, error)) return fail(error, false);
    }
    const std::int64_t pictureCount = primary.host.delivered();
    if (options.bench) {
        std::fprintf(text, "pictures: %" PRId64 "\nseconds: %.6f\npictures_per_second: %.1f\n", pictureCount,
                     seconds, seconds > 0 ? double(pictureCount) / seconds : 0.0);
    }
    if (options.info) PrintStreamInfo(text, info, primary.host.delivered());
    if (pictureCount == 0 && options.frames != 0) return fail(whyNoPictures(options.input, input, ahead.facts, anySamples), false);
    if (info.errors > 0)
        std::fprintf(stderr, "tlvdec: warning: %" PRIu32 " bitstream errors; the pictures they hit are damaged\n",
                     info.errors);
    return 0;
}
