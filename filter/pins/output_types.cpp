#include "filter/pins/output_types.h"

#include <uuids.h>

#include <cstring>
#include <cwctype>

#include "filter/dxva/dxva_declarations.h"

namespace tl {
namespace {

constexpr DWORD kInterlaced = AMINTERLACE_IsInterlaced | AMINTERLACE_DisplayModeBobOrWeave;  // 0x81
constexpr DWORD kWeaveOnly = AMINTERLACE_IsInterlaced | AMINTERLACE_DisplayModeWeaveOnly;    // 0x41
constexpr DWORD FourCC(char a, char b, char c, char d) {
    return DWORD(std::uint8_t(a)) | DWORD(std::uint8_t(b)) << 8 | DWORD(std::uint8_t(c)) << 16 |
           DWORD(std::uint8_t(d)) << 24;
}

struct OutputTypeRow {
    const wchar_t* name;
    char code;
    const GUID* subtype;
    DWORD compression;
    WORD bitCount;
    DWORD interlaceFlags;
};

const OutputTypeRow kRows[] = {
    {L"YUY2", '1', &MEDIASUBTYPE_YUY2, FourCC('Y', 'U', 'Y', '2'), 16, 0},
    {L"UYVY", '2', &MEDIASUBTYPE_UYVY, FourCC('U', 'Y', 'V', 'Y'), 16, 0},
    {L"YVYU", '3', &MEDIASUBTYPE_YVYU, FourCC('Y', 'V', 'Y', 'U'), 16, 0},
    {L"YV12", '4', &MEDIASUBTYPE_YV12, FourCC('Y', 'V', '1', '2'), 12, 0},
    {L"YUY2i", '5', &MEDIASUBTYPE_YUY2, FourCC('Y', 'U', 'Y', '2'), 16, kInterlaced},
    {L"UYVYi", '6', &MEDIASUBTYPE_UYVY, FourCC('U', 'Y', 'V', 'Y'), 16, kInterlaced},
    {L"YVYUi", '7', &MEDIASUBTYPE_YVYU, FourCC('Y', 'V', 'Y', 'U'), 16, kInterlaced},
    {L"YV12i", '8', &MEDIASUBTYPE_YV12, FourCC('Y', 'V', '1', '2'), 12, kInterlaced},
    {L"RGB32", 'a', &MEDIASUBTYPE_RGB32, BI_RGB, 32, 0},
    {L"RGB24", 'b', &MEDIASUBTYPE_RGB24, BI_RGB, 24, 0},
    {L"RGB555", 'c', &MEDIASUBTYPE_RGB555, BI_BITFIELDS, 16, 0},
    {L"RGB565", 'd', &MEDIASUBTYPE_RGB565, BI_BITFIELDS, 16, 0},
    {L"RGB32i", 'e', &MEDIASUBTYPE_RGB32, BI_RGB, 32, kInterlaced},
    {L"RGB24i", 'f', &MEDIASUBTYPE_RGB24, BI_RGB, 24, kInterlaced},
    {L"RGB555i", 'g', &MEDIASUBTYPE_RGB555, BI_BITFIELDS, 16, kInterlaced},
    {L"RGB565i", 'h', &MEDIASUBTYPE_RGB565, BI_BITFIELDS, 16, kInterlaced},
    {L"DXVA_A", 'A', &dxva::kModeMPEG2_A, FourCC('Y', 'V', '1', '2'), 12, 0},
    {L"DXVA_B", 'B', &dxva::kModeMPEG2_B, FourCC('Y', 'V', '1', '2'), 12, 0},
    {L"DXVA_C", 'C', &dxva::kModeMPEG2_C, FourCC('Y', 'V', '1', '2'), 12, 0},
    {L"DXVA_D", 'D', &dxva::kModeMPEG2_D, FourCC('Y', 'V', '1', '2'), 12, 0},
    {L"DXVA_Ai", 'E', &dxva::kModeMPEG2_A, FourCC('Y', 'V', '1', '2'), 12, kInterlaced},
    {L"DXVA_Bi", 'F', &dxva::kModeMPEG2_B, FourCC('Y', 'V', '1', '2'), 12, kInterlaced},
    {L"DXVA_Ci", 'G', &dxva::kModeMPEG2_C, FourCC('Y', 'V', '1', '2'), 12, kInterlaced},
    {L"DXVA_Di", 'H', &dxva::kModeMPEG2_D, FourCC('Y', 'V', '1', '2'), 12, kInterlaced},
    {L"DXVA_Aw", 'I', &dxva::kModeMPEG2_A, FourCC('Y', 'V', '1', '2'), 12, kWeaveOnly},
    {L"DXVA_Bw", 'J', &dxva::kModeMPEG2_B, FourCC('Y', 'V', '1', '2'), 12, kWeaveOnly},
    {L"DXVA_Cw", 'K', &dxva::kModeMPEG2_C, FourCC('Y', 'V', '1', '2'), 12, kWeaveOnly},
    {L"DXVA_Dw", 'L', &dxva::kModeMPEG2_D, FourCC('Y', 'V', '1', '2'), 12, kWeaveOnly},
};

bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return true;
}

// "DXVA_A" alone is matched with its case; every other name without.
char CodeOfName(std::wstring_view token) {
    for (const OutputTypeRow& row : kRows) {
        const std::wstring_view name(row.name);
        const bool match = name == L"DXVA_A" ? token == name : SameNameIgnoringCase(token, name);
        if (match) return row.code;
    }
    return 0;
}

const OutputTypeRow* RowOfCode(char code) {
    for (const OutputTypeRow& row : kRows)
        if (row.code == code) return &row;
    return nullptr;
}

void AppendCodes(std::string& codes, std::wstring_view list) {
    for (const char code : ParsePriorityList(list)) {
        if (codes.size() >= kMaxOfferedCodes) return;
        codes.push_back(code);
    }
}

}  // namespace

std::string ParsePriorityList(std::wstring_view list) {
    std::string codes;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t comma = list.find(L',', begin);
        const std::wstring_view token = list.substr(begin, comma == std::wstring_view::npos ? list.npos : comma - begin);
        if (const char code = CodeOfName(token)) codes.push_back(code);
        if (comma == std::wstring_view::npos) break;
        begin = comma + 1;
    }
    return codes;
}

std::string OfferedCodes(const OfferedListInputs& inputs) {
    std::string codes;
    if (inputs.directXVA && !inputs.h264Input) AppendCodes(codes, inputs.dxvaList);
    AppendCodes(codes, inputs.hardwareDeinterlace ? inputs.hardwareList : inputs.softwareList);
    return codes;
}

void SnapAspect(std::uint32_t width, std::uint32_t height, std::uint32_t* x, std::uint32_t* y) {
    *x = width;
    *y = height;
    if (height == 0) return;
    const double r = double(width) / double(height);
    if (r <= 0.99 || r >= 1.8) return;
    if (r < 1.1) {
        *x = 1, *y = 1;
    } else if (r < 1.51) {
        *x = 4, *y = 3;
    } else {
        *x = 16, *y = 9;
    }
}

std::uint32_t ImageSize(std::uint16_t bitCount, std::int32_t width, std::int32_t height) {
    const std::uint32_t rowBytes = ((std::uint32_t(bitCount) * std::uint32_t(width) + 31) & ~31u) / 8;
    return rowBytes * std::uint32_t(height < 0 ? -height : height);
}

bool MakeOutputType(char code, const VIDEOINFOHEADER2& current, const FormatDefaults& defaults, MediaType* out) {
    const OutputTypeRow* row = RowOfCode(code);
    if (!row) return false;
    VIDEOINFOHEADER2 vih;
    std::memset(&vih, 0, sizeof(vih));
    BITMAPINFOHEADER& bmi = vih.bmiHeader;
    bmi.biSize = sizeof(BITMAPINFOHEADER);
    bmi.biPlanes = 1;
    bmi.biBitCount = row->bitCount;
    bmi.biCompression = row->compression;
    bmi.biWidth = current.bmiHeader.biWidth ? current.bmiHeader.biWidth
                                            : current.rcSource.right - current.rcSource.left;
    bmi.biHeight = current.bmiHeader.biHeight ? current.bmiHeader.biHeight
                                              : current.rcSource.bottom - current.rcSource.top;
    if (bmi.biWidth == 0) bmi.biWidth = defaults.width;
    if (bmi.biHeight == 0) bmi.biHeight = defaults.height;

    std::uint32_t ax = current.dwPictAspectRatioX ? current.dwPictAspectRatioX : std::uint32_t(bmi.biWidth);
    std::uint32_t ay = current.dwPictAspectRatioY ? current.dwPictAspectRatioY : std::uint32_t(bmi.biHeight);
    if (ax == std::uint32_t(bmi.biWidth) && ay == std::uint32_t(bmi.biHeight)) SnapAspect(ax, ay, &ax, &ay);
    if (ax == 0 || ay == 0) ax = 4, ay = 3;
    vih.dwPictAspectRatioX = ax;
    vih.dwPictAspectRatioY = ay;
    vih.dwInterlaceFlags = row->interlaceFlags;
    vih.AvgTimePerFrame = current.AvgTimePerFrame;
    vih.rcTarget = {0, 0, bmi.biWidth, bmi.biHeight};
    const bool dxva = dxva::IsDxvaMode(*row->subtype);
    if (dxva) vih.dwBitRate = current.dwBitRate;
    bmi.biSizeImage = ImageSize(bmi.biBitCount, bmi.biWidth, bmi.biHeight);

    AM_MEDIA_TYPE type;
    std::memset(&type, 0, sizeof(type));
    type.majortype = MEDIATYPE_Video;
    type.subtype = *row->subtype;
    type.bFixedSizeSamples = TRUE;
    type.bTemporalCompression = FALSE;
    type.lSampleSize = bmi.biSizeImage;
    type.formattype = FORMAT_VideoInfo2;
    type.cbFormat = sizeof(vih);
    type.pbFormat = reinterpret_cast<BYTE*>(&vih);
    out->Assign(type);
    return true;
}

const std::vector<const GUID*>& OutputSubtypes() {
    static const std::vector<const GUID*> subtypes = {
        &MEDIASUBTYPE_YUY2,  &MEDIASUBTYPE_UYVY,  &MEDIASUBTYPE_YVYU,   &MEDIASUBTYPE_YV12,
        &dxva::kModeMPEG2_A, &dxva::kModeMPEG2_B, &dxva::kModeMPEG2_C,  &dxva::kModeMPEG2_D,
        &MEDIASUBTYPE_RGB32, &MEDIASUBTYPE_RGB24, &MEDIASUBTYPE_RGB555, &MEDIASUBTYPE_RGB565,
    };
    return subtypes;
}

bool IsAcceptedOutputType(const AM_MEDIA_TYPE& type) {
    const bool majorMatches = IsEqualGUID(type.majortype, MEDIATYPE_Video) || IsEqualGUID(type.majortype, GUID_NULL);
    if (!majorMatches) return false;
    if (IsEqualGUID(type.subtype, GUID_NULL)) return true;
    for (const GUID* subtype : OutputSubtypes())
        if (IsEqualGUID(type.subtype, *subtype)) return true;
    return false;
}

}  // namespace tl
