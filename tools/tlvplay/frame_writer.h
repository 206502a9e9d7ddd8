// Writes the frames a renderer of ours receives into a directory, as
// frame_00000.bmp (or .raw) upwards: a 24-bit BMP converted as tlvdec's
// --snapshot converts, or the sample's bytes unchanged.
#pragma once
#include <windows.h>

#include <strmif.h>

#include <atomic>
#include <string>

namespace tl::tlvplay {

enum class FrameFile { Bitmap, Raw };

struct GrabberCounts {
    std::atomic<long> frames{0};    // written
    std::atomic<long> failures{0};  // samples that could not be written
    std::atomic<long> endOfStreams{0};
};

// mt is the connection type (VIDEOINFOHEADER or VIDEOINFOHEADER2 with one of the
// tool's output formats); rows lie length / height bytes apart. False with a
// one-line reason when the rows do not fit or the file cannot be written.
bool WriteFrame(const std::string& path, const AM_MEDIA_TYPE& mt, const BYTE* data, long length, FrameFile kind,
                std::string* error);

// Writes the next frame of the directory, named by the frames and failures so
// far, and counts it as one or the other.
void SaveNextFrame(const std::string& directory, const AM_MEDIA_TYPE& mt, const BYTE* data, long length,
                   FrameFile kind, GrabberCounts* counts);

}  // namespace tl::tlvplay
