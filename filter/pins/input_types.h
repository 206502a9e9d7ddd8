// The compressed types "Video In" accepts and what a connection records of them.
#pragma once
#include <windows.h>

#include <dshow.h>
#include <dvdmedia.h>

namespace tl {

// The registered (major type, subtype) rows: MPEG-2 video as plain video, in PES
// packets, or in DVD packs.
struct InputTypeRow {
    const GUID* major;
    const GUID* subtype;
};
const InputTypeRow (&InputTypeRows())[3];

// QueryAccept's check: some row matches, GUID_NULL matching anything. S_OK or
// VFW_E_NO_ACCEPTABLE_TYPES.
HRESULT CheckInputTableType(const AM_MEDIA_TYPE& type);

// 'L264' or 'l264'.
bool IsH264Subtype(const GUID& subtype);

// The stricter check of an actual connection. On success *h264 says whether the
// subtype is one of the H.264 FOURCCs and *format holds the input format
// (zeroed where the type carries none). VFW_E_TYPE_NOT_ACCEPTED otherwise.
HRESULT CheckInputConnectionType(const AM_MEDIA_TYPE& type, bool* h264, VIDEOINFOHEADER2* format);

}  // namespace tl
