#include "filter/property_pages/statistics_rows.h"

#include <dshow.h>

#include <utility>

#include "filter/com/com_ptr.h"
#include "filter/plugins/info_layer/pin_connections.h"
#include "filter/property_pages/number_text.h"

namespace tl {
namespace {

using com::ComPtr;
using Rows = std::vector<StatisticsRow>;

void AddPinRows(IFilterVideoDecoder* filter, Rows* rows) {
    for (PinConnection& pin : DescribePins(filter)) rows->push_back({std::move(pin.pin), std::move(pin.description)});
}

// Names of an enumeration whose values run from `first` upward.
template <std::size_t N>
std::wstring NameOf(const wchar_t* const (&names)[N], long value, long first, const wchar_t* otherwise) {
    if (value >= first && value - first < long(N)) return names[value - first];
    return otherwise ? otherwise : std::to_wstring(value);
}

constexpr const wchar_t* kAspectNames[] = {L"1:1", L"4:3", L"16:9", L"2.21:1"};
constexpr const wchar_t* kChromaNames[] = {L"4:2:0", L"4:2:2", L"4:4:4"};
constexpr const wchar_t* kStructureNames[] = {L"Top Field", L"Bottom Field", L"Frame"};
constexpr const wchar_t* kDeinterlaceNames[] = {L"Auto", L"Progressive",       L"Weave",
                                                L"BOB (Hardware)", L"BOB", L"BOB (Double Rate)"};
constexpr const wchar_t* kProfileNames[] = {L"High", L"Spatially Scalable", L"SNR Scalable", L"Main", L"Simple"};
constexpr const wchar_t* kVideoFormatNames[] = {L"Component", L"PAL", L"NTSC", L"SECAM", L"MAC"};
constexpr const wchar_t* kPrimariesNames[] = {L"0",
                                              L"1 (Recommendation ITU-R BT.709)",
                                              L"2 (Unspecified Video)",
                                              L"3 (reserved)",
                                              L"4 (Recommendation ITU-R BT.470-2 System M)",
                                              L"5 (Recommendation ITU-R BT.470-2 System B, G)",
                                              L"6 (SMPTE 170M)",
                                              L"7 (SMPTE 240M)"};
constexpr const wchar_t* kMatrixNames[] = {L"0",
                                           L"1 (Recommendation ITU-R BT.709)",
                                           L"2 (Unspecified Video)",
                                           L"3 (reserved)",
                                           L"4 (FCC)",
                                           L"5 (Recommendation ITU-R BT.470-2 System B, G)",
                                           L"6 (SMPTE 170M)",
                                           L"7 (SMPTE 240M)"};

std::wstring LevelName(long level) {
    switch (level) {
        case LEVEL_LOW: return L"Low";
        case LEVEL_MAIN: return L"Main";
        case LEVEL_HIGH1440: return L"High 1440";
        case LEVEL_HIGH: return L"High";
        default: return std::to_wstring(level);
    }
}

std::wstring YesNo(VARIANT_BOOL value) { return value ? L"yes" : L"no"; }

std::wstring Pair(long a, const wchar_t* separator, long b) {
    return std::to_wstring(a) + separator + std::to_wstring(b);
}

// Reads the decoder's properties for one refresh; each getter that fails leaves
// the rows that need it out.
class StreamRows {
public:
    StreamRows(IVideoDecoderMPEG2* decoder, Rows* rows) : decoder_(decoder), rows_(rows) {}

    template <class T>
    bool Read(HRESULT (STDMETHODCALLTYPE IVideoDecoderMPEG2::*get)(T*), T* value) {
        return SUCCEEDED((decoder_->*get)(value));
    }

    template <class T, class Format>
    void Row(const wchar_t* param, HRESULT (STDMETHODCALLTYPE IVideoDecoderMPEG2::*get)(T*), Format format) {
        T value{};
        if (Read(get, &value)) rows_->push_back({param, format(value)});
    }

    void Size(const wchar_t* param, HRESULT (STDMETHODCALLTYPE IVideoDecoderMPEG2::*getX)(long*),
              HRESULT (STDMETHODCALLTYPE IVideoDecoderMPEG2::*getY)(long*), const wchar_t* separator) {
        long x = 0, y = 0;
        if (Read(getX, &x) && Read(getY, &y)) rows_->push_back({param, Pair(x, separator, y)});
    }

private:
    IVideoDecoderMPEG2* decoder_;
    Rows* rows_;
};

void AddStreamRows(IVideoDecoderMPEG2* decoder, ByteRate* readRate, Rows* rows) {
    using D = IVideoDecoderMPEG2;
    StreamRows s(decoder, rows);
    s.Size(L"Size", &D::get_SizeX, &D::get_SizeY, L"x");
    s.Size(L"Coded Size", &D::get_CodedSizeX, &D::get_CodedSizeY, L"x");
    s.Size(L"Display Size", &D::get_DisplaySizeX, &D::get_DisplaySizeY, L"x");
    s.Row(L"Aspect Information", &D::get_AspectRatioInformation,
          [](tagASPECTRATIOINFORMATION v) { return NameOf(kAspectNames, v, 1, L"Unknown"); });
    s.Size(L"Aspect", &D::get_AspectRatioX, &D::get_AspectRatioY, L":");
    s.Row(L"Chroma Format", &D::get_ChromaFormat,
          [](tagCHROMAFORMAT v) { return NameOf(kChromaNames, v, 1, L"Unknown"); });
    s.Row(L"BitRate", &D::get_BitRate, [](long v) { return GroupedInteger(v); });
    s.Row(L"FrameNum", &D::get_FrameNum, [](long v) { return GroupedInteger(v); });
    s.Row(L"FrameRate", &D::get_FrameRate, [](double v) { return FrameRateText(v); });
    s.Row(L"Picture Structure", &D::get_PictureStructure,
          [](tagPICTURESTRUCTURE v) { return NameOf(kStructureNames, v, 1, L"Unknown"); });
    s.Row(L"Progressive Sequence", &D::get_ProgressiveSequence, YesNo);
    s.Row(L"Progressive Frame", &D::get_ProgressiveFrame, YesNo);
    s.Row(L"Deinterlace", &D::get_Deinterlace,
          [](tagDEINTERLACE v) { return NameOf(kDeinterlaceNames, v, 0, L"Unknown"); });
    long hours = 0, minutes = 0, seconds = 0, pictures = 0;
    if (s.Read(&D::get_GOPHours, &hours) && s.Read(&D::get_GOPMinutes, &minutes) &&
        s.Read(&D::get_GOPSeconds, &seconds) && s.Read(&D::get_GOPPictures, &pictures)) {
        rows->push_back({L"GOP Time", GopTimeText(hours, minutes, seconds, pictures)});
    }
    BSTR structure = nullptr;
    if (s.Read(&D::get_GOPStructure, &structure)) rows->push_back({L"GOP Structure", structure ? structure : L""});
    SysFreeString(structure);
    s.Row(L"Profile", &D::get_Profile, [](tagPROFILE v) { return NameOf(kProfileNames, v, 1, nullptr); });
    s.Row(L"Level", &D::get_Level, [](tagLEVEL v) { return LevelName(v); });
    s.Row(L"Video Format", &D::get_VideoFormat,
          [](tagVIDEOFORMAT v) { return NameOf(kVideoFormatNames, v, 0, L"Unknown"); });
    s.Row(L"Colour Primaries", &D::get_ColourPrimaries, [](long v) { return NameOf(kPrimariesNames, v, 0, nullptr); });
    s.Row(L"Matrix Coefficients", &D::get_MatrixCoefficients,
          [](long v) { return NameOf(kMatrixNames, v, 0, nullptr); });
    hyper bytes = 0;
    if (s.Read(&D::get_TotalBytesRead, &bytes)) {
        rows->push_back({L"Read (bytes)", GroupedInteger(bytes)});
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        const std::int64_t time = std::int64_t(ULARGE_INTEGER{{now.dwLowDateTime, now.dwHighDateTime}}.QuadPart);
        rows->push_back({L"Read Rate (bits/sec)", GroupedInteger(readRate->Update(time, bytes) * 8)});
    }
    s.Row(L"Renderer Perfomance (bytes/sec)", &D::get_RendererPerformance, [](hyper v) { return GroupedInteger(v); });
    s.Row(L"Skipped Frames", &D::get_SkippedFrames, [](long v) { return GroupedInteger(v); });
    s.Row(L"Errors", &D::get_Errors, [](long v) { return GroupedInteger(v); });
}

}  // namespace

std::vector<StatisticsRow> StatisticsRows(IFilterVideoDecoder* filter, ByteRate* readRate) {
    Rows rows;
    BSTR version = nullptr;
    if (SUCCEEDED(filter->get_Version(&version))) rows.push_back({L"Version:", version ? version : L""});
    SysFreeString(version);
    AddPinRows(filter, &rows);
    ComPtr<IDispatch> object;
    ComPtr<IVideoDecoderMPEG2> decoder;
    if (SUCCEEDED(filter->get_decoder(object.Out())) && object &&
        SUCCEEDED(object->QueryInterface(__uuidof(IVideoDecoderMPEG2), decoder.OutVoid())))
        AddStreamRows(decoder.Get(), readRate, &rows);
    hyper lateness = 0;
    if (SUCCEEDED(filter->get_RendererLateness(&lateness))) rows.push_back({L"Renderer Lateness", DurationForm(lateness, L"- ")});
    long undelivered = 0;
    if (SUCCEEDED(filter->get_UndeliveredFrames(&undelivered)))
        rows.push_back({L"Undelivered Frames", GroupedInteger(undelivered)});
    return rows;
}

}  // namespace tl
