#include "filter/pins/input_types.h"

#include <ks.h>
#include <ksmedia.h>
#include <mmreg.h>
#include <uuids.h>

#include <cstring>

namespace tl {
namespace {

// 'L264' and 'l264' as FOURCC media subtypes.
constexpr GUID kSubtypeL264 = {0x3436324c, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr GUID kSubtypeLowerL264 = {0x3436326c, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

const InputTypeRow kRows[3] = {
    {&MEDIATYPE_Video, &MEDIASUBTYPE_MPEG2_VIDEO},
    {&MEDIATYPE_MPEG2_PES, &MEDIASUBTYPE_MPEG2_VIDEO},
    {&MEDIATYPE_DVD_ENCRYPTED_PACK, &MEDIASUBTYPE_MPEG2_VIDEO},
};

}  // namespace

const InputTypeRow (&InputTypeRows())[3] { return kRows; }

bool IsH264Subtype(const GUID& subtype) {
    return IsEqualGUID(subtype, kSubtypeL264) || IsEqualGUID(subtype, kSubtypeLowerL264);
}

HRESULT CheckInputTableType(const AM_MEDIA_TYPE& type) {
    for (const InputTypeRow& row : kRows) {
        const bool major = IsEqualGUID(type.majortype, *row.major) || IsEqualGUID(type.majortype, GUID_NULL);
        const bool sub = IsEqualGUID(type.subtype, GUID_NULL) || IsEqualGUID(type.subtype, *row.subtype);
        if (major && sub) return S_OK;
    }
    return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT CheckInputConnectionType(const AM_MEDIA_TYPE& type, bool* h264, VIDEOINFOHEADER2* format) {
    bool majorKnown = false;
    for (const InputTypeRow& row : kRows) majorKnown = majorKnown || IsEqualGUID(type.majortype, *row.major);
    if (!majorKnown) return VFW_E_TYPE_NOT_ACCEPTED;
    if (IsEqualGUID(type.subtype, MEDIASUBTYPE_MPEG2_VIDEO)) {
        *h264 = false;
    } else if (IsH264Subtype(type.subtype)) {
        *h264 = true;
    } else {
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    std::memset(format, 0, sizeof(*format));
    if (!type.pbFormat) return S_OK;
    if (IsEqualGUID(type.formattype, FORMAT_MPEG2Video) || IsEqualGUID(type.formattype, FORMAT_VideoInfo2)) {
        // An MPEG2VIDEOINFO begins with the VIDEOINFOHEADER2.
        std::memcpy(format, type.pbFormat, type.cbFormat < sizeof(*format) ? type.cbFormat : sizeof(*format));
        return S_OK;
    }
    if (IsEqualGUID(type.formattype, FORMAT_VideoInfo)) {
        VIDEOINFOHEADER vih;
        std::memset(&vih, 0, sizeof(vih));
        std::memcpy(&vih, type.pbFormat, type.cbFormat < sizeof(vih) ? type.cbFormat : sizeof(vih));
        format->rcSource = vih.rcSource;
        format->rcTarget = vih.rcTarget;
        format->dwBitRate = vih.dwBitRate;
        format->dwBitErrorRate = vih.dwBitErrorRate;
        format->AvgTimePerFrame = vih.AvgTimePerFrame;
        format->bmiHeader = vih.bmiHeader;
        return S_OK;
    }
    return VFW_E_TYPE_NOT_ACCEPTED;
}

}  // namespace tl
