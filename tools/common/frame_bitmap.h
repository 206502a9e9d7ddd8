// One delivered picture as both tools save it: a 24-bit BMP, whatever output
// format the picture was delivered in. tlvdec's --snapshot and tlvplay's
// frame grabber write their files with it, so the same sample gives the same file.
#pragma once
#include <cstdint>
#include <vector>

namespace tl::tools {

struct FrameView {
    int format = -1;  // OUTPUT_YUY2 ... OUTPUT_RGB555
    const std::uint8_t* data = nullptr;
    int width = 0, height = 0;
    // Bytes from one row to the next; YV12: of the luma rows, chroma rows half as far.
    int pitch = 0;
    bool bottomUp = false;  // the first row in memory is the bottom one (RGB as a bitmap)
};

// A sample as the decoder delivers it: rows length / height bytes apart, a
// YV12 sample's luma rows two thirds of that (its chroma planes take the rest).
FrameView SampleView(int format, const std::uint8_t* data, std::size_t length, int width, int height,
                     bool bottomUp);

// Bytes the view reads; 0 when its sizes or format are unusable.
std::size_t FrameBytes(const FrameView& frame);

// The whole BMP file: bottom-up rows of B, G, R padded to four bytes. YUV
// samples are converted with the BT.601 studio-range matrix, 16-bit RGB is
// widened by repeating its top bits. Empty when FrameBytes is 0.
std::vector<std::uint8_t> FrameToBmp(const FrameView& frame);

}  // namespace tl::tools
