// A consistent copy of what the decoder reports through IVideoDecoderMPEG2.
// The worker publishes it after every header pass and picture; readers on
// other threads take a copy.
#pragma once
#include <cstdint>
#include <string>

namespace tl {

struct StreamInfo {
    std::int32_t chromaFormat = 0;      // tagCHROMAFORMAT
    std::int32_t pictureStructure = 0;  // tagPICTURESTRUCTURE
    std::int32_t profile = 0;           // tagPROFILE
    std::int32_t level = 0;             // tagLEVEL
    std::int32_t videoFormat = 0;       // tagVIDEOFORMAT
    std::int32_t aspectRatioInformation = 0;
    std::int32_t aspectRatioX = 0;  // last negotiated with the output
    std::int32_t aspectRatioY = 0;
    std::int64_t bitRate = 0;  // bit/s
    double frameRate = 0.0;
    std::int32_t sizeX = 0, sizeY = 0;
    std::int32_t codedSizeX = 0, codedSizeY = 0;
    std::int32_t displaySizeX = 0, displaySizeY = 0;
    bool progressiveSequence = false;
    bool progressiveFrame = false;
    std::int32_t deinterlace = 0;  // mode chosen for the last output picture
    std::int32_t gopHours = 0, gopMinutes = 0, gopSeconds = 0, gopPictures = 0;
    std::string gopStructure;  // e.g. "IBBPBBP", at most 63 characters
    std::int32_t colourPrimaries = 1;
    std::int32_t matrixCoefficients = 1;
    std::uint32_t frameNum = 0;  // pictures output since Init, skipped ones included
    std::int32_t numberOfFrameCentreOffsets = 0;
    std::int32_t frameCentreHorizontalOffset[3] = {0, 0, 0};  // 16-bit fields as transmitted
    std::int32_t frameCentreVerticalOffset[3] = {0, 0, 0};
    std::uint64_t totalBytesRead = 0;
    std::int64_t rendererPerformance = 0;  // bytes per second of the last conversion, 0 if unknown
    std::uint32_t skippedFrames = 0;
    std::uint32_t undeliveredFrames = 0;  // larger than the output size the renderer kept
    std::uint32_t errors = 0;  // slice-layer errors plus unknown extensions
};

}  // namespace tl
