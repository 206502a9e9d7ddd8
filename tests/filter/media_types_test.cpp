// The pins' media types: what "Video In" accepts and records of the input
// format, the output type lists and the output types. The downstream filter
// lists are decided in a real graph (graph_test).
#include <gtest/gtest.h>

#include <dshow.h>
#include <dvdmedia.h>

#include <array>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "filter/pins/input_types.h"
#include "filter/pins/output_types.h"

namespace {

constexpr GUID kL264 = {0x3436324c, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

TEST(InputTypes, ConnectionCheckByMajorTypeAndSubtype) {
    const std::tuple<GUID, GUID, HRESULT, bool> cases[] = {  // major type, subtype, result, H.264
        {MEDIATYPE_Video, MEDIASUBTYPE_MPEG2_VIDEO, S_OK, false},
        {MEDIATYPE_MPEG2_PES, MEDIASUBTYPE_MPEG2_VIDEO, S_OK, false},
        {MEDIATYPE_DVD_ENCRYPTED_PACK, MEDIASUBTYPE_MPEG2_VIDEO, S_OK, false},
        {MEDIATYPE_Video, kL264, S_OK, true},
        {MEDIATYPE_Video, GUID_NULL, VFW_E_TYPE_NOT_ACCEPTED, false},
        {GUID_NULL, MEDIASUBTYPE_MPEG2_VIDEO, VFW_E_TYPE_NOT_ACCEPTED, false},
        {MEDIATYPE_Audio, MEDIASUBTYPE_MPEG2_VIDEO, VFW_E_TYPE_NOT_ACCEPTED, false},
    };
    for (const auto& [major, subtype, expected, isH264] : cases) {
        AM_MEDIA_TYPE mt{};
        mt.majortype = major;
        mt.subtype = subtype;
        bool h264 = !isH264;
        VIDEOINFOHEADER2 format;
        EXPECT_EQ(tl::CheckInputConnectionType(mt, &h264, &format), expected);
        EXPECT_TRUE(expected != S_OK || h264 == isH264);
        if (isH264) {
            EXPECT_EQ(tl::CheckInputTableType(mt), VFW_E_NO_ACCEPTABLE_TYPES) << "H.264 is no registered row";
        }
    }
}

TEST(InputTypes, FormatBlocksFillTheCurrentFormat) {
    AM_MEDIA_TYPE mt{};
    mt.majortype = MEDIATYPE_Video;
    mt.subtype = MEDIASUBTYPE_MPEG2_VIDEO;
    VIDEOINFOHEADER2 format;
    bool h264 = false;
    const auto check = [&](const GUID& formatType, void* block, std::size_t size) {
        mt.formattype = formatType;
        mt.pbFormat = static_cast<BYTE*>(block);
        mt.cbFormat = ULONG(size);
        return tl::CheckInputConnectionType(mt, &h264, &format);
    };

    // An MPEG2VIDEOINFO begins with a VIDEOINFOHEADER2; the sequence header after it is not copied.
    std::vector<BYTE> mpeg2(sizeof(VIDEOINFOHEADER2) + 16, 0xAB);
    VIDEOINFOHEADER2 head{};
    head.bmiHeader.biWidth = 720;
    head.bmiHeader.biHeight = 480;
    head.dwPictAspectRatioX = 16;
    head.dwPictAspectRatioY = 9;
    std::memcpy(mpeg2.data(), &head, sizeof(head));
    ASSERT_EQ(check(FORMAT_MPEG2Video, mpeg2.data(), mpeg2.size()), S_OK);
    EXPECT_TRUE(format.bmiHeader.biWidth == 720 && format.dwPictAspectRatioX == 16);

    VIDEOINFOHEADER vih{};
    vih.bmiHeader.biWidth = 352;
    vih.bmiHeader.biHeight = 288;
    vih.AvgTimePerFrame = 400000;
    vih.rcSource = {0, 0, 352, 288};
    ASSERT_EQ(check(FORMAT_VideoInfo, &vih, sizeof(vih)), S_OK);
    EXPECT_TRUE(format.bmiHeader.biWidth == 352 && format.AvgTimePerFrame == 400000 && format.rcSource.right == 352);
    EXPECT_TRUE(format.dwPictAspectRatioX == 0 && format.dwInterlaceFlags == 0) << "a VIDEOINFOHEADER has neither";

    ASSERT_EQ(check(FORMAT_VideoInfo, nullptr, 0), S_OK);
    EXPECT_EQ(format.bmiHeader.biWidth, 0);

    EXPECT_EQ(check(FORMAT_WaveFormatEx, &vih, sizeof(vih)), VFW_E_TYPE_NOT_ACCEPTED);
}

TEST(PriorityList, NamesMapToCodesInListOrder) {
    const std::pair<const wchar_t*, const char*> cases[] = {
        {L"YUY2,UYVY,YV12,RGB32,RGB24,RGB565,RGB555", "124abdc"},
        {L"YUY2,,bogus,yuy2", "11"},
        {L"", ""},
        {L" YUY2,YUY2 ", ""},
        {L"DXVA_A,dxva_a,DXVA_b,dxva_ci,DXVA_Dw", "ABGL"},
        {L"YVYU,YVYUi,YV12i,rgb565i", "378h"},
    };
    for (const auto& [list, codes] : cases) EXPECT_EQ(tl::ParsePriorityList(list), codes) << std::wstring(list).size();
}

TEST(PriorityList, DxvaListComesFirstOnlyForMpeg2InputWithDxvaOn) {
    tl::OfferedListInputs in;
    in.dxvaList = L"DXVA_A,DXVA_B";
    in.hardwareList = L"YUY2i";
    in.softwareList = L"YUY2";
    EXPECT_EQ(tl::OfferedCodes(in), "1");
    in.directXVA = true;
    EXPECT_EQ(tl::OfferedCodes(in), "AB1");
    in.h264Input = true;
    EXPECT_EQ(tl::OfferedCodes(in), "1");
    in.hardwareDeinterlace = true;
    EXPECT_EQ(tl::OfferedCodes(in), "5");
    in.softwareList.clear();
    in.hardwareList.clear();
    for (int i = 0; i < 200; ++i) in.hardwareList += L"RGB32,";
    EXPECT_EQ(tl::OfferedCodes(in).size(), tl::kMaxOfferedCodes);
}

TEST(OutputType, AspectOfSizesWithoutAspectInformation) {
    const std::array<std::uint32_t, 4> cases[] = {  // width, height, then the aspect
        {720, 480, 4, 3},  {720, 576, 4, 3},     {1920, 1080, 16, 9}, {1440, 1080, 4, 3},
        {2048, 858, 2048, 858}, {500, 600, 500, 600}, {352, 288, 4, 3},    {100, 100, 1, 1},
    };
    for (const auto& [width, height, aspectX, aspectY] : cases) {
        std::uint32_t x = 0, y = 0;
        tl::SnapAspect(width, height, &x, &y);
        EXPECT_EQ(std::make_pair(x, y), std::make_pair(aspectX, aspectY)) << width << "x" << height;
    }
}

TEST(OutputType, FormatIsFilledFromTheInputFormatOrTheDefaults) {
    VIDEOINFOHEADER2 input{};
    input.bmiHeader.biWidth = 0;
    input.rcSource = {0, 0, 352, 288};
    input.AvgTimePerFrame = 400000;
    input.dwBitRate = 12345;
    // output code, subtype (null: not checked), bit count, compression, interlace flags, bit rate
    const std::tuple<char, const GUID*, WORD, DWORD, DWORD, DWORD> cases[] = {
        {'1', &MEDIASUBTYPE_YUY2, 16, MAKEFOURCC('Y', 'U', 'Y', '2'), 0, 0},
        {'8', &MEDIASUBTYPE_YV12, 12, MAKEFOURCC('Y', 'V', '1', '2'), 0x81, 0},
        {'b', &MEDIASUBTYPE_RGB24, 24, BI_RGB, 0, 0},
        {'d', &MEDIASUBTYPE_RGB565, 16, BI_BITFIELDS, 0, 0},
        {'A', nullptr, 12, MAKEFOURCC('Y', 'V', '1', '2'), 0, 12345},
        {'L', nullptr, 12, MAKEFOURCC('Y', 'V', '1', '2'), 0x41, 12345},
    };
    for (const auto& [code, subtype, bits, compression, interlace, bitRate] : cases) {
        SCOPED_TRACE(code);
        tl::MediaType type;
        ASSERT_TRUE(tl::MakeOutputType(code, input, {}, &type));
        const AM_MEDIA_TYPE& mt = type.Get();
        EXPECT_TRUE(IsEqualGUID(mt.majortype, MEDIATYPE_Video) && IsEqualGUID(mt.formattype, FORMAT_VideoInfo2));
        EXPECT_TRUE(!subtype || IsEqualGUID(mt.subtype, *subtype));
        ASSERT_EQ(mt.cbFormat, sizeof(VIDEOINFOHEADER2));
        const auto* vih = type.FormatAs<VIDEOINFOHEADER2>();
        const BITMAPINFOHEADER& bmi = vih->bmiHeader;
        EXPECT_EQ(std::make_tuple(bmi.biBitCount, bmi.biCompression, vih->dwInterlaceFlags, vih->dwBitRate),
                  std::make_tuple(bits, compression, interlace, bitRate));
        EXPECT_EQ(std::make_tuple(bmi.biWidth, bmi.biHeight, vih->rcTarget.right, vih->rcTarget.bottom),
                  std::make_tuple(352L, 288L, 352L, 288L));
        EXPECT_EQ(std::make_tuple(vih->dwPictAspectRatioX, vih->dwPictAspectRatioY, vih->AvgTimePerFrame),
                  std::make_tuple(4UL, 3UL, 400000LL));
        EXPECT_EQ(bmi.biSizeImage, tl::ImageSize(bits, 352, 288));
        EXPECT_EQ(ULONG(mt.lSampleSize), bmi.biSizeImage);
        EXPECT_TRUE(mt.bFixedSizeSamples && !mt.bTemporalCompression);
    }
    tl::MediaType none;
    EXPECT_FALSE(tl::MakeOutputType('z', input, {}, &none));
    // An empty input format takes the default size.
    tl::MediaType defaulted;
    ASSERT_TRUE(tl::MakeOutputType('1', VIDEOINFOHEADER2{}, {640, 480}, &defaulted));
    const auto* vih = defaulted.FormatAs<VIDEOINFOHEADER2>();
    EXPECT_EQ(std::make_tuple(vih->bmiHeader.biWidth, vih->bmiHeader.biHeight, vih->dwPictAspectRatioX,
                              vih->dwPictAspectRatioY),
              std::make_tuple(640L, 480L, 4UL, 3UL));
}

TEST(OutputType, AcceptedTypes) {
    std::vector<std::tuple<GUID, GUID, bool>> cases = {
        {MEDIATYPE_Video, GUID_NULL, true}, {MEDIATYPE_Video, MEDIASUBTYPE_RGB8, false},
        {MEDIATYPE_Audio, MEDIASUBTYPE_YUY2, false}};
    for (const GUID* subtype : tl::OutputSubtypes()) cases.emplace_back(MEDIATYPE_Video, *subtype, true);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        AM_MEDIA_TYPE mt{};
        std::tie(mt.majortype, mt.subtype, std::ignore) = cases[i];
        EXPECT_EQ(tl::IsAcceptedOutputType(mt), std::get<2>(cases[i])) << "case " << i;
    }
}

}  // namespace
