#include "tools/tlvplay/frame_writer.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "convert/dispatch.h"
#include "tools/common/frame_bitmap.h"
#include "tools/tlvplay/media_type.h"

namespace tl::tlvplay {

bool WriteFrame(const std::string& path, const AM_MEDIA_TYPE& mt, const BYTE* data, long length, FrameFile kind,
                std::string* error) {
    const BITMAPINFOHEADER* bih = BitmapHeader(mt);
    const OutputFormat* format = FindOutputFormat(mt.subtype);
    if (!data || !bih || !format || bih->biWidth <= 0 || bih->biHeight == 0) {
        *error = "unsupported frame type " + DescribeMediaType(mt);
        return false;
    }
    std::vector<BYTE> file;
    if (kind == FrameFile::Raw) {
        file.assign(data, data + length);
    } else {
        const int rows = int(std::labs(bih->biHeight));
        const tools::FrameView frame =
            tools::SampleView(format->code, data, std::size_t(length), int(bih->biWidth), rows,
                              format->code >= OUTPUT_RGB32 && bih->biHeight > 0);
        const std::size_t needed = tools::FrameBytes(frame);
        if (needed > 0 && needed <= std::size_t(length)) file = tools::FrameToBmp(frame);
        if (file.empty()) {
            *error = "sample of " + std::to_string(length) + " bytes is too small for a " + DescribeMediaType(mt) +
                     " frame";
            return false;
        }
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        *error = "cannot create " + path;
        return false;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) *error = "cannot write " + path;
    return written && closed;
}

void SaveNextFrame(const std::string& directory, const AM_MEDIA_TYPE& mt, const BYTE* data, long length,
                   FrameFile kind, GrabberCounts* counts) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%05ld.%s", long(counts->frames + counts->failures),
                  kind == FrameFile::Raw ? "raw" : "bmp");
    std::string error;
    if (WriteFrame(directory + "/" + name, mt, data, length, kind, &error))
        ++counts->frames;
    else
        ++counts->failures;
}

}  // namespace tl::tlvplay
