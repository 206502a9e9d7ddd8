#include "filter/decoder/output_format.h"

#include <amvideo.h>
#include <dshow.h>
#include <dvdmedia.h>
#include <uuids.h>

#include "filter/dxva/dxva_declarations.h"

namespace tl {

OutputSubtype OutputSubtypeOf(const GUID& subtype) {
    static const struct {
        const GUID* guid;
        OutputSubtype value;
    } table[] = {
        {&MEDIASUBTYPE_YUY2, OutputSubtype::YUY2},       {&MEDIASUBTYPE_UYVY, OutputSubtype::UYVY},
        {&MEDIASUBTYPE_YVYU, OutputSubtype::YVYU},       {&MEDIASUBTYPE_YV12, OutputSubtype::YV12},
        {&MEDIASUBTYPE_RGB32, OutputSubtype::RGB32},     {&MEDIASUBTYPE_RGB24, OutputSubtype::RGB24},
        {&MEDIASUBTYPE_RGB565, OutputSubtype::RGB565},   {&MEDIASUBTYPE_RGB555, OutputSubtype::RGB555},
        {&dxva::kModeMPEG2_A, OutputSubtype::DxvaModeA}, {&dxva::kModeMPEG2_B, OutputSubtype::DxvaModeB},
        {&dxva::kModeMPEG2_C, OutputSubtype::DxvaModeC}, {&dxva::kModeMPEG2_D, OutputSubtype::DxvaModeD},
    };
    for (const auto& row : table)
        if (IsEqualGUID(subtype, *row.guid)) return row.value;
    return OutputSubtype::Other;
}

OutputFormat OutputFormatOf(const AM_MEDIA_TYPE& type) {
    OutputFormat format;
    format.subtype = OutputSubtypeOf(type.subtype);
    const BITMAPINFOHEADER* bmi = nullptr;
    if (IsEqualGUID(type.formattype, FORMAT_VideoInfo2) && type.pbFormat &&
        type.cbFormat >= sizeof(VIDEOINFOHEADER2)) {
        const auto* vih = reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat);
        format.videoInfo2 = true;
        format.aspectX = vih->dwPictAspectRatioX;
        format.aspectY = vih->dwPictAspectRatioY;
        format.interlaceFlags = vih->dwInterlaceFlags;
        bmi = &vih->bmiHeader;
    } else if (IsEqualGUID(type.formattype, FORMAT_VideoInfo) && type.pbFormat &&
               type.cbFormat >= sizeof(VIDEOINFOHEADER)) {
        format.videoInfo2 = false;
        bmi = &reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader;
    }
    if (bmi) {
        format.width = bmi->biWidth;
        format.height = bmi->biHeight;
        format.bitCount = bmi->biBitCount;
        format.compression = bmi->biCompression;
    }
    return format;
}

}  // namespace tl
