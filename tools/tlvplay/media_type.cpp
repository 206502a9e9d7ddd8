#include "tools/tlvplay/media_type.h"

#include <amvideo.h>
#include <dvdmedia.h>
#include <uuids.h>

#include <cstddef>
#include <cstring>
#include <iterator>

#include "tools/common/output_format_names.h"

namespace tl::tlvplay {
namespace {

constexpr DWORD FourCc(char a, char b, char c, char d) {
    return DWORD(BYTE(a)) | DWORD(BYTE(b)) << 8 | DWORD(BYTE(c)) << 16 | DWORD(BYTE(d)) << 24;
}

// In output format code order, named as the tools' command lines name them.
constexpr OutputFormat Format(int code, const GUID& subtype, WORD bitCount, DWORD compression) {
    return {code, tools::kOutputFormatNames[code].label, &subtype, bitCount, compression};
}

const OutputFormat kOutputFormats[] = {
    Format(OUTPUT_YUY2, MEDIASUBTYPE_YUY2, 16, FourCc('Y', 'U', 'Y', '2')),
    Format(OUTPUT_UYVY, MEDIASUBTYPE_UYVY, 16, FourCc('U', 'Y', 'V', 'Y')),
    Format(OUTPUT_YVYU, MEDIASUBTYPE_YVYU, 16, FourCc('Y', 'V', 'Y', 'U')),
    Format(OUTPUT_YV12, MEDIASUBTYPE_YV12, 12, FourCc('Y', 'V', '1', '2')),
    Format(OUTPUT_RGB32, MEDIASUBTYPE_RGB32, 32, BI_RGB),
    Format(OUTPUT_RGB24, MEDIASUBTYPE_RGB24, 24, BI_RGB),
    Format(OUTPUT_RGB565, MEDIASUBTYPE_RGB565, 16, BI_BITFIELDS),
    Format(OUTPUT_RGB555, MEDIASUBTYPE_RGB555, 16, BI_BITFIELDS),
};
static_assert(std::size(kOutputFormats) == std::size(tools::kOutputFormatNames));

// AM_MPEG2Profile and AM_MPEG2Level from the profile and level the stream signals.
// Profiles run from 5 (Simple) to 1 (High); AM_MPEG2Profile the other way from 1.
DWORD ProfileOf(int profile) { return profile >= 1 && profile <= 5 ? DWORD(6 - profile) : 0; }

DWORD LevelOf(int level) {
    switch (level) {
        case 10: return 1;  // Low
        case 8: return 2;   // Main
        case 6: return 3;   // High 1440
        case 4: return 4;   // High
        default: return 0;
    }
}

}  // namespace

MediaType Mpeg2VideoType(const SequenceInfo& sequence, bool pesPackets) {
    MediaType type;
    AM_MEDIA_TYPE& mt = type.Get();
    mt.majortype = pesPackets ? MEDIATYPE_MPEG2_PES : MEDIATYPE_Video;
    mt.subtype = MEDIASUBTYPE_MPEG2_VIDEO;
    mt.bFixedSizeSamples = FALSE;
    mt.bTemporalCompression = TRUE;
    const ULONG headerBytes = ULONG(sequence.bytes.size());
    const ULONG size = ULONG(offsetof(MPEG2VIDEOINFO, dwSequenceHeader)) + headerBytes;
    auto* info = reinterpret_cast<MPEG2VIDEOINFO*>(type.AllocateFormat(FORMAT_MPEG2Video, size));
    if (!info) return type;
    VIDEOINFOHEADER2& hdr = info->hdr;
    hdr.rcSource = {0, 0, sequence.width, sequence.height};
    hdr.rcTarget = hdr.rcSource;
    hdr.dwBitRate = sequence.bitRate;
    hdr.AvgTimePerFrame = sequence.framePeriod;
    hdr.dwInterlaceFlags =
        sequence.progressiveSequence ? 0 : AMINTERLACE_IsInterlaced | AMINTERLACE_DisplayModeBobOrWeave;
    hdr.dwPictAspectRatioX = DWORD(sequence.aspectX);
    hdr.dwPictAspectRatioY = DWORD(sequence.aspectY);
    hdr.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    hdr.bmiHeader.biWidth = sequence.width;
    hdr.bmiHeader.biHeight = sequence.height;
    hdr.bmiHeader.biPlanes = 1;
    info->cbSequenceHeader = headerBytes;
    info->dwProfile = ProfileOf(sequence.profile);
    info->dwLevel = LevelOf(sequence.level);
    std::memcpy(info->dwSequenceHeader, sequence.bytes.data(), headerBytes);
    return type;
}

const OutputFormat* FindOutputFormat(const std::string& name) {
    const int code = tools::OutputFormatCodeOf(name.c_str());
    return code >= 0 ? &kOutputFormats[code] : nullptr;
}

const OutputFormat* FindOutputFormat(const GUID& subtype) {
    for (const OutputFormat& format : kOutputFormats)
        if (IsEqualGUID(*format.subtype, subtype)) return &format;
    return nullptr;
}

std::string SubtypeName(const GUID& subtype) {
    if (const OutputFormat* format = FindOutputFormat(subtype)) return format->name;
    if (IsEqualGUID(subtype, MEDIASUBTYPE_MPEG2_VIDEO)) return "MPEG2_VIDEO";
    wchar_t text[40];
    StringFromGUID2(subtype, text, int(std::size(text)));
    std::string narrow;
    for (const wchar_t* p = text; *p; ++p) narrow.push_back(char(*p));
    return narrow;
}

const BITMAPINFOHEADER* BitmapHeader(const AM_MEDIA_TYPE& mt) {
    if (!mt.pbFormat) return nullptr;
    if (IsEqualGUID(mt.formattype, FORMAT_VideoInfo) && mt.cbFormat >= sizeof(VIDEOINFOHEADER))
        return &reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat)->bmiHeader;
    if ((IsEqualGUID(mt.formattype, FORMAT_VideoInfo2) || IsEqualGUID(mt.formattype, FORMAT_MPEG2Video)) &&
        mt.cbFormat >= sizeof(VIDEOINFOHEADER2))
        return &reinterpret_cast<const VIDEOINFOHEADER2*>(mt.pbFormat)->bmiHeader;
    return nullptr;
}

std::string DescribeMediaType(const AM_MEDIA_TYPE& mt) {
    std::string text = SubtypeName(mt.subtype);
    if (const BITMAPINFOHEADER* bih = BitmapHeader(mt))
        text += " " + std::to_string(bih->biWidth) + "x" + std::to_string(bih->biHeight);
    return text;
}

}  // namespace tl::tlvplay
