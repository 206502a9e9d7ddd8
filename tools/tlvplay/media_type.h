// AM_MEDIA_TYPE with an owned format block, and the media types the tool builds.
#pragma once
#include <windows.h>

#include <strmif.h>
#include <vfwmsgs.h>

#include <string>

#include "tools/tlvplay/sequence_header.h"

namespace tl::tlvplay {

class MediaType {
public:
    MediaType();
    explicit MediaType(const AM_MEDIA_TYPE& source);
    MediaType(const MediaType& other) : MediaType(other.mt_) {}
    MediaType& operator=(const MediaType& other);
    ~MediaType();

    const AM_MEDIA_TYPE& Get() const { return mt_; }
    AM_MEDIA_TYPE& Get() { return mt_; }
    // Replaces the format block with size zeroed bytes of type formatType.
    BYTE* AllocateFormat(const GUID& formatType, ULONG size);
    // A task-memory copy for a caller that frees it with DeleteMediaType's rules.
    AM_MEDIA_TYPE* NewTaskCopy() const;
    void Clear();

private:
    AM_MEDIA_TYPE mt_;
};

// Deep copy into target, which is overwritten; E_OUTOFMEMORY when the format block
// cannot be allocated.
HRESULT CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE& source);
void FreeMediaType(AM_MEDIA_TYPE& mt);
void DeleteMediaType(AM_MEDIA_TYPE* mt);

// The compressed input type of the stream: MPEG-2 video with an MPEG2VIDEOINFO
// format block holding the sequence header. PES packets travel under the MPEG-2
// PES major type, elementary stream chunks under the video major type.
MediaType Mpeg2VideoType(const SequenceInfo& sequence, bool pesPackets);

// The uncompressed formats the tool can ask for by name.
struct OutputFormat {
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
