// Conversion throughput of the kernels the dispatchers pick: megapixels per
// second of conversion time, per output format, deinterlace mode and tier, for
// 4:2:0 pictures.
//
//   convert_bench [--size WxH] [--seconds S] [--format NAME]... [--tier mmx|sse|sse2|avx2|best]
//                 [--mode progressive|weave|bob|bob2|all]
//
// Prints one line per format, tier and mode: "NAME WxH TIER MODE MPIX_PER_S SAMPLES".
// Megapixels count output samples: bob2 makes two full-height samples per picture,
// one from each field.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "convert/dispatch.h"
#include "convert/rgb_matrix.h"
#include "engine/base/cpu_features.h"

namespace {

struct FormatName {
    const char* name;
    int code;
};
struct ModeName {
    const char* name;
    int samplesPerPicture;
};
constexpr ModeName kModes[] = {{"progressive", 1}, {"weave", 1}, {"bob", 1}, {"bob2", 2}};

// One picture converted in a mode: one sample, or two for bob2.
void convert(const std::string& mode, const tl::Picture& p, const tl::ConversionContext& c, std::uint8_t* dst,
             int rowPitch) {
    if (mode == "progressive") {
        tl::ConvertProgressive(p, c, dst, rowPitch);
    } else if (mode == "weave") {
        tl::ConvertWeave(p, c, dst, rowPitch);
    } else if (mode == "bob") {
        tl::ConvertSoftwareBob(p, c, dst, rowPitch);
    } else {
        tl::ConvertFieldBob(p, c, dst, rowPitch, 1);
        tl::ConvertFieldBob(p, c, dst, rowPitch, 0);
    }
}

constexpr FormatName kFormats[] = {{"yuy2", tl::OUTPUT_YUY2},     {"uyvy", tl::OUTPUT_UYVY},
                                   {"yv12", tl::OUTPUT_YV12},     {"rgb32", tl::OUTPUT_RGB32},
                                   {"rgb24", tl::OUTPUT_RGB24},   {"rgb565", tl::OUTPUT_RGB565},
                                   {"rgb555", tl::OUTPUT_RGB555}};

// Wall seconds: each conversion is timed on its own (the rewrite before it is
// not), and the process CPU clock costs a system call, over a microsecond
// here, against the clock the C library reads without one.
double seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A 64-byte-aligned block, as the picture pool and the renderers' samples are.
struct Aligned {
    explicit Aligned(std::size_t bytes) : storage(new std::uint8_t[bytes + 256]) {
        const auto base = reinterpret_cast<std::uintptr_t>(storage.get());
        data = storage.get() + (256 - base % 256) % 256;
    }
    std::unique_ptr<std::uint8_t[]> storage;
    std::uint8_t* data;
};

// A few distinct pictures, each rewritten from its pristine copy before it is
// converted (untimed): the state the decoder leaves a picture in, just
// written, and the state of the frame ffmpeg's raw reader has just read when
// swscale converts it.
struct Source {
    Source(int width, int height, int count) {
        const int codedWidth = (width + 15) / 16 * 16;
        const int codedHeight = (height + 15) / 16 * 16;
        for (int i = 0; i < count; ++i) {
            tl::Picture p;
            p.width = width;
            p.height = height;
            p.lumaStride = codedWidth;
            p.chromaStride = codedWidth / 2;
            p.chromaFormat = 1;
            const std::size_t sizes[3] = {static_cast<std::size_t>(codedWidth + 1) * (codedHeight + 16),
                                          static_cast<std::size_t>(codedWidth / 2 + 1) * (codedHeight / 2 + 16),
                                          static_cast<std::size_t>(codedWidth / 2 + 1) * (codedHeight / 2 + 16)};
            for (int c = 0; c < 3; ++c) {
                planes.emplace_back(sizes[c]);
                pristine.emplace_back(sizes[c]);
                p.planes[c] = planes.back().data;
                for (std::size_t k = 0; k < sizes[c]; ++k)
                    pristine.back().data[k] = static_cast<std::uint8_t>((k * 2654435761u >> 13) + i * 17);
                planeBytes.push_back(sizes[c]);
            }
            pictures.push_back(p);
        }
    }
    // Picture i as the decoder leaves it.
    void rewrite(std::size_t i) {
        for (std::size_t c = 3 * i; c < 3 * i + 3; ++c) std::memcpy(planes[c].data, pristine[c].data, planeBytes[c]);
    }
    std::vector<Aligned> planes, pristine;
    std::vector<std::size_t> planeBytes;
    std::vector<tl::Picture> pictures;
};

void usage() {
    std::fprintf(stderr,
                 "usage: convert_bench [--size WxH] [--seconds S] [--format NAME]... "
                 "[--tier mmx|sse|sse2|avx2|best|all] [--mode progressive|weave|bob|bob2|all]\n");
}

}  // namespace

int main(int argc, char** argv) {
    int width = 720, height = 576;
    double runSeconds = 1.0;
    std::vector<FormatName> formats;
    std::string tier = "best";
    std::string modeArg = "progressive";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--size" && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0) {
                usage();
                return 2;
            }
        } else if (arg == "--seconds" && i + 1 < argc) {
            runSeconds = std::atof(argv[++i]);
        } else if (arg == "--mode" && i + 1 < argc) {
            modeArg = argv[++i];
        } else if (arg == "--tier" && i + 1 < argc) {
            tier = argv[++i];
        } else if (arg == "--format" && i + 1 < argc) {
            const std::string name = argv[++i];
            bool known = false;
            for (const auto& f : kFormats)
                if (name == f.name) {
                    formats.push_back(f);
                    known = true;
                }
            if (!known) {
                usage();
                return 2;
            }
        } else {
            usage();
            return 2;
        }
    }
    if (formats.empty()) formats.assign(std::begin(kFormats), std::end(kFormats));

    const std::uint32_t features = tl::cpuFeatureWord();
    struct TierChoice {
        const char* name;
        std::uint32_t mask;
    };
    std::vector<TierChoice> tiers;
    const std::uint32_t mmx = tl::cpu_bit::mmx, sse = mmx | tl::cpu_bit::sse, sse2 = sse | tl::cpu_bit::sse2;
    if (tier == "mmx" || tier == "all") tiers.push_back({"MMX", mmx});
    if (tier == "sse" || tier == "all") tiers.push_back({"SSE", sse});
    if (tier == "sse2" || tier == "all") tiers.push_back({"SSE2", sse2});
    if (tier == "avx2" || tier == "all") tiers.push_back({"AVX2", sse2 | tl::cpu_bit::sse3 | tl::cpu_bit::avx2});
    if (tier == "best") tiers.push_back({"best", features});
    if (tiers.empty()) {
        usage();
        return 2;
    }

    std::vector<ModeName> modes;
    for (const auto& m : kModes)
        if (modeArg == "all" || modeArg == m.name) modes.push_back(m);
    if (modes.empty()) {
        usage();
        return 2;
    }

    Source source(width, height, 4);
    const tl::RgbMatrixBlock matrix = tl::buildRgbMatrix(1, 0, 0, 0);
    for (const auto& f : formats)
        for (const auto& t : tiers)
            for (const auto& m : modes) {
                const int rowPitch = tl::tightRowPitch(f.code, width);
                Aligned dst(static_cast<std::size_t>(rowPitch) * height);
                tl::ConversionContext context;
                context.outputFormat = f.code;
                context.chromaFormat = 1;
                context.colorCorrection = 0;
                context.rgbMatrix = &matrix;
                context.cpuFeatures = t.mask & features;
                const char* level = t.name;
                if (std::strcmp(level, "best") == 0) {
                    static const char* const kNames[] = {"plain", "MMX", "SSE", "SSE2", "SSE3", "AVX2"};
                    level = kNames[static_cast<int>(
                        tl::chooseKernelTier(context.cpuFeatures, dst.data, rowPitch, f.code))];
                }
                long samples = 0;
                double elapsed = 0;
                do {
                    for (std::size_t i = 0; i < source.pictures.size(); ++i) {
                        source.rewrite(i);
                        const double start = seconds();
                        convert(m.name, source.pictures[i], context, dst.data, rowPitch);
                        elapsed += seconds() - start;
                    }
                    samples += static_cast<long>(source.pictures.size()) * m.samplesPerPicture;
                } while (elapsed < runSeconds);
                const double mpix = static_cast<double>(samples) * width * height / elapsed / 1e6;
                std::printf("%s %dx%d %s %s %.1f %ld\n", f.name, width, height, level, m.name, mpix, samples);
            }
    return 0;
}
