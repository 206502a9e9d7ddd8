// The output types the filter offers: names of the priority lists, their one-
// character codes, and the media type of each code filled from the input format.
#pragma once
#include <windows.h>

#include <dshow.h>
#include <dvdmedia.h>

#include <string>
#include <string_view>
#include <vector>

#include "filter/dshow/media_type.h"

namespace tl {

// Longest code string the offered list holds; further codes are dropped.
inline constexpr std::size_t kMaxOfferedCodes = 127;

// Codes of a comma-separated list of output type names, in list order. Unknown
// names are skipped; no white space is trimmed.
std::string ParsePriorityList(std::wstring_view list);

struct OfferedListInputs {
    bool directXVA = false;
    bool h264Input = false;
    bool hardwareDeinterlace = false;
    std::wstring dxvaList;
    std::wstring hardwareList;
    std::wstring softwareList;
};

// At most kMaxOfferedCodes codes: the DXVA list first when DXVA is on for
// MPEG-2 input, then the hardware-deinterlace list or the plain one.
std::string OfferedCodes(const OfferedListInputs& inputs);

struct FormatDefaults {
    std::int32_t width = 720;
    std::int32_t height = 576;
};

// The media type of a code, its VIDEOINFOHEADER2 filled from the current format.
// False for a character that is no output type code.
bool MakeOutputType(char code, const VIDEOINFOHEADER2& current, const FormatDefaults& defaults, MediaType* out);

// The picture aspect ratio offered for a size without aspect information.
void SnapAspect(std::uint32_t width, std::uint32_t height, std::uint32_t* x, std::uint32_t* y);

// (biBitCount * width + 31) / 32 * 4 * height.
std::uint32_t ImageSize(std::uint16_t bitCount, std::int32_t width, std::int32_t height);

// The check of QueryAccept and every output connection: MEDIATYPE_Video (or
// GUID_NULL) with one of the twelve output subtypes (or GUID_NULL).
bool IsAcceptedOutputType(const AM_MEDIA_TYPE& type);
// The twelve output subtypes in registration order.
const std::vector<const GUID*>& OutputSubtypes();

}  // namespace tl
