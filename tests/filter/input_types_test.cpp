// What "Video In" accepts and what it records of the input format.
#include <gtest/gtest.h>

#include <dshow.h>
#include <dvdmedia.h>

#include <cstring>
#include <vector>

#include "filter/pins/input_types.h"

namespace {

constexpr GUID kL264 = {0x3436324c, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

TEST(InputTypes, ConnectionCheckByMajorTypeAndSubtype) {
    struct Case {
        GUID major, subtype;
        HRESULT expected;
        bool h264;
    };
    const Case cases[] = {
        {MEDIATYPE_Video, MEDIASUBTYPE_MPEG2_VIDEO, S_OK, false},
        {MEDIATYPE_MPEG2_PES, MEDIASUBTYPE_MPEG2_VIDEO, S_OK, false},
        {MEDIATYPE_DVD_ENCRYPTED_PACK, MEDIASUBTYPE_MPEG2_VIDEO, S_OK, false},
        {MEDIATYPE_Video, kL264, S_OK, true},
        {MEDIATYPE_Video, GUID_NULL, VFW_E_TYPE_NOT_ACCEPTED, false},
        {GUID_NULL, MEDIASUBTYPE_MPEG2_VIDEO, VFW_E_TYPE_NOT_ACCEPTED, false},
        {MEDIATYPE_Audio, MEDIASUBTYPE_MPEG2_VIDEO, VFW_E_TYPE_NOT_ACCEPTED, false},
    };
    for (const Case& c : cases) {
        AM_MEDIA_TYPE mt{};
        mt.majortype = c.major;
        mt.subtype = c.subtype;
        bool h264 = !c.h264;
        VIDEOINFOHEADER2 format;
        EXPECT_EQ(tl::CheckInputConnectionType(mt, &h264, &format), c.expected);
        EXPECT_TRUE(c.expected != S_OK || h264 == c.h264);
    }
    AM_MEDIA_TYPE mt{};
    mt.majortype = MEDIATYPE_Video;
    mt.subtype = kL264;
    EXPECT_EQ(tl::CheckInputTableType(mt), VFW_E_NO_ACCEPTABLE_TYPES) << "H.264 is no registered row";
}

TEST(InputTypes, FormatBlocksFillTheCurrentFormat) {
    AM_MEDIA_TYPE mt{};
    mt.majortype = MEDIATYPE_Video;
    mt.subtype = MEDIASUBTYPE_MPEG2_VIDEO;
    VIDEOINFOHEADER2 format;
    bool h264 = false;

    // An MPEG2VIDEOINFO begins with a VIDEOINFOHEADER2; the sequence header after it is not copied.
    std::vector<BYTE> mpeg2(sizeof(VIDEOINFOHEADER2) + 16, 0xAB);
    auto* head = reinterpret_cast<VIDEOINFOHEADER2*>(mpeg2.data());
    std::memset(head, 0, sizeof(*head));
    head->bmiHeader.biWidth = 720;
    head->bmiHeader.biHeight = 480;
    head->dwPictAspectRatioX = 16;
    head->dwPictAspectRatioY = 9;
    mt.formattype = FORMAT_MPEG2Video;
    mt.cbFormat = ULONG(mpeg2.size());
    mt.pbFormat = mpeg2.data();
    ASSERT_EQ(tl::CheckInputConnectionType(mt, &h264, &format), S_OK);
    EXPECT_TRUE(format.bmiHeader.biWidth == 720 && format.dwPictAspectRatioX == 16);

    VIDEOINFOHEADER vih{};
    vih.bmiHeader.biWidth = 352;
    vih.bmiHeader.biHeight = 288;
    vih.AvgTimePerFrame = 400000;
    vih.rcSource = {0, 0, 352, 288};
    mt.formattype = FORMAT_VideoInfo;
    mt.cbFormat = sizeof(vih);
    mt.pbFormat = reinterpret_cast<BYTE*>(&vih);
    ASSERT_EQ(tl::CheckInputConnectionType(mt, &h264, &format), S_OK);
    EXPECT_TRUE(format.bmiHeader.biWidth == 352 && format.AvgTimePerFrame == 400000 && format.rcSource.right == 352);
    EXPECT_TRUE(format.dwPictAspectRatioX == 0 && format.dwInterlaceFlags == 0) << "a VIDEOINFOHEADER has neither";

    mt.pbFormat = nullptr;
    mt.cbFormat = 0;
    ASSERT_EQ(tl::CheckInputConnectionType(mt, &h264, &format), S_OK);
    EXPECT_EQ(format.bmiHeader.biWidth, 0);

    mt.formattype = FORMAT_WaveFormatEx;
    mt.pbFormat = reinterpret_cast<BYTE*>(&vih);
    mt.cbFormat = sizeof(vih);
    EXPECT_EQ(tl::CheckInputConnectionType(mt, &h264, &format), VFW_E_TYPE_NOT_ACCEPTED);
}

}  // namespace
