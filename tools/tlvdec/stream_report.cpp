#include "tools/tlvdec/stream_report.h"

#include <cinttypes>

namespace tl::tlvdec {
namespace {

const char* chromaName(int chroma) {
    switch (chroma) {
    case 1: return "4:2:0";
    case 2: return "4:2:2";
    case 3: return "4:4:4";
    default: return "unknown";
    }
}

const char* profileName(int profile) {
    switch (profile) {
    case 1: return "High";
    case 2: return "Spatially Scalable";
    case 3: return "SNR Scalable";
    case 4: return "Main";
    case 5: return "Simple";
    default: return "unknown";
    }
}

const char* levelName(int level) {
    switch (level) {
    case 4: return "High";
    case 6: return "High 1440";
    case 8: return "Main";
    case 10: return "Low";
    default: return "unknown";
    }
}

}  // namespace

void PrintStreamInfo(std::FILE* out, const StreamInfo& i, std::int64_t delivered) {
    std::fprintf(out, "width: %d\nheight: %d\n", i.sizeX, i.sizeY);
    std::fprintf(out, "coded_width: %d\ncoded_height: %d\n", i.codedSizeX, i.codedSizeY);
    std::fprintf(out, "display_width: %d\ndisplay_height: %d\n", i.displaySizeX, i.displaySizeY);
    std::fprintf(out, "aspect_ratio: %d:%d\n", i.aspectRatioX, i.aspectRatioY);
    std::fprintf(out, "aspect_ratio_information: %d\n", i.aspectRatioInformation);
    std::fprintf(out, "frame_rate: %.6f\n", i.frameRate);
    std::fprintf(out, "bit_rate: %" PRId64 "\n", i.bitRate);
    std::fprintf(out, "chroma_format: %s\n", chromaName(i.chromaFormat));
    std::fprintf(out, "profile: %s\nlevel: %s\n", profileName(i.profile), levelName(i.level));
    std::fprintf(out, "progressive_sequence: %d\n", i.progressiveSequence ? 1 : 0);
    std::fprintf(out, "video_format: %d\n", i.videoFormat);
    std::fprintf(out, "colour_primaries: %d\nmatrix_coefficients: %d\n", i.colourPrimaries,
                 i.matrixCoefficients);
    std::fprintf(out, "gop_time_code: %02d:%02d:%02d:%02d\n", i.gopHours, i.gopMinutes, i.gopSeconds,
                 i.gopPictures);
    std::fprintf(out, "gop_structure: %s\n", i.gopStructure.c_str());
    std::fprintf(out, "frames: %u\n", i.frameNum);
    std::fprintf(out, "delivered: %" PRId64 "\n", delivered);
    std::fprintf(out, "skipped: %u\n", i.skippedFrames);
    std::fprintf(out, "errors: %u\n", i.errors);
    std::fprintf(out, "bytes_read: %" PRIu64 "\n", i.totalBytesRead);
}

}  // namespace tl::tlvdec
