// The media types the tool builds and the names it prints for them; holding a
// type is the filter's MediaType.
#pragma once
#include <windows.h>

#include <strmif.h>
#include <vfwmsgs.h>

#include <string>

#include "filter/dshow/media_type.h"
#include "tools/tlvplay/sequence_header.h"

namespace tl::tlvplay {

// The compressed input type of the stream: MPEG-2 video with an MPEG2VIDEOINFO
// format block holding the sequence header. PES packets travel under the MPEG-2
// PES major type, elementary stream chunks under the video major type.
MediaType Mpeg2VideoType(const SequenceInfo& sequence, bool pesPackets);

// The uncompressed formats the tool can ask for by name.
struct OutputFormat {
    int code;  // OUTPUT_*
    const char* name;
    const GUID* subtype;
    WORD bitCount;
    DWORD compression;
};
const OutputFormat* FindOutputFormat(const std::string& name);
const OutputFormat* FindOutputFormat(const GUID& subtype);

// "YUY2", "RGB32", "MPEG2_VIDEO"... or the GUID in braces.
std::string SubtypeName(const GUID& subtype);
// The picture header of a VIDEOINFOHEADER or VIDEOINFOHEADER2 format; null otherwise.
const BITMAPINFOHEADER* BitmapHeader(const AM_MEDIA_TYPE& mt);
// "YUY2 352x288", for the summary line.
std::string DescribeMediaType(const AM_MEDIA_TYPE& mt);

}  // namespace tl::tlvplay
