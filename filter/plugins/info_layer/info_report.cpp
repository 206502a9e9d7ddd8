#include "filter/plugins/info_layer/info_report.h"

#include "filter/com/bstr.h"
#include "filter/com/com_ptr.h"
#include "filter/plugins/info_layer/number_forms.h"
#include "filter/plugins/info_layer/pin_connections.h"

namespace tl {
namespace {

using com::ComPtr;

constexpr std::int64_t kRateWindow = 20000000;  // 2 s in 100 ns units

std::wstring Number(long value) { return std::to_wstring(value); }

// A name from a table indexed by an enumeration value, or nothing.
template <std::size_t N>
const wchar_t* NameOf(const wchar_t* const (&names)[N], long value) {
    return value >= 0 && static_cast<std::size_t>(value) < N && names[value] ? names[value] : L"";
}

// The decoder's part of the report; false when a query failed.
bool AppendStreamLines(IFilterVideoDecoder* site, IVideoDecoderMPEG2* d, ByteRate& rate, std::int64_t now,
                       std::wstring& report) {
    long a = 0, b = 0, c = 0, e = 0, f = 0, g = 0;
    double real = 0;
    if (FAILED(d->get_SizeX(&a)) || FAILED(d->get_SizeY(&b))) return false;
    report += L"Size: " + Number(a) + L"x" + Number(b);
    if (FAILED(d->get_CodedSizeX(&a)) || FAILED(d->get_CodedSizeY(&b))) return false;
    report += L", CodedSize: " + Number(a) + L"x" + Number(b);
    if (FAILED(d->get_DisplaySizeX(&a)) || FAILED(d->get_DisplaySizeY(&b))) return false;
    report += L", DisplaySize: " + Number(a) + L"x" + Number(b) + L"\r\n";

    tagASPECTRATIOINFORMATION aspect = ASPECT_RATIO_UNKNOWN;
    if (FAILED(d->get_AspectRatioX(&a)) || FAILED(d->get_AspectRatioY(&b)) ||
        FAILED(d->get_AspectRatioInformation(&aspect)))
        return false;
    static const wchar_t* const kAspects[] = {nullptr, L", (stream info: 1:1)", L", (stream info: 4:3)",
                                              L", (stream info: 16:9)", L", (stream info: 2.21:1)"};
    report += L"Aspect Ratio: " + Number(a) + L":" + Number(b) + NameOf(kAspects, aspect) + L"\r\n";

    tagCHROMAFORMAT chroma = CHROMA_UNKNOWN;
    if (FAILED(d->get_ChromaFormat(&chroma)) || FAILED(d->get_ColourPrimaries(&a)) ||
        FAILED(d->get_MatrixCoefficients(&b)))
        return false;
    static const wchar_t* const kChroma[] = {nullptr, L"4:2:0", L"4:2:2", L"4:4:4"};
    const wchar_t* chromaName = NameOf(kChroma, chroma);
    report += std::wstring(L"ChromaFormat: ") + (*chromaName ? chromaName : L"?:?:?") +
              L", ColourPrimaries: " + Number(a) + L", MatrixCoefficients: " + Number(b) + L"\r\n";

    if (FAILED(d->get_BitRate(&a)) || FAILED(d->get_FrameRate(&real)) || FAILED(d->get_FrameNum(&b))) return false;
    report += L"BitRate: " + GroupedInteger(a) + L", FrameRate: " + DecimalForm(real) + L", FrameNum: " +
              Number(b) + L"\r\n";

    tagPICTURESTRUCTURE structure = PICTURE_STRUCTURE_UNKNOWN;
    if (FAILED(d->get_PictureStructure(&structure))) return false;
    static const wchar_t* const kStructures[] = {nullptr, L"Top Field", L"Bottom Field", L"Frame"};
    const wchar_t* structureName = NameOf(kStructures, structure);
    report += std::wstring(L"Picture Structure: ") + (*structureName ? structureName : L"Unknown");
    long count = 0, x[3] = {}, y[3] = {};
    if (FAILED(d->GetFrameCenterOffsets(&count, &x[0], &y[0], &x[1], &y[1], &x[2], &y[2]))) return false;
    for (long i = 0; i < count && i < 3; ++i)
        report += L", FrameCenter" + Number(i) + L": " + Number(x[i]) + L"x" + Number(y[i]);
    report += L"\r\n";

    tagPROFILE profile = PROFILE_UNKNOWN;
    tagLEVEL level = LEVEL_UNKNOWN;
    tagVIDEOFORMAT format = VIDEO_FORMAT_COMPONENT;
    if (FAILED(d->get_Profile(&profile)) || FAILED(d->get_Level(&level)) || FAILED(d->get_VideoFormat(&format)))
        return false;
    static const wchar_t* const kProfiles[] = {nullptr, L"High", L"Spatially Scalable", L"SNR Scalable", L"Main",
                                               L"Simple"};
    static const wchar_t* const kLevels[] = {nullptr, nullptr, nullptr, nullptr, L"High", nullptr,
                                             L"High 1440", nullptr, L"Main", nullptr, L"Low"};
    static const wchar_t* const kFormats[] = {L"Component", L"PAL", L"NTSC", L"SECAM", L"MAC"};
    report += std::wstring(L"Profile: ") + NameOf(kProfiles, profile) + L"; Level: " + NameOf(kLevels, level) +
              L"; Video Format: " + NameOf(kFormats, format) + L"\r\n";

    VARIANT_BOOL sequence = VARIANT_FALSE, frame = VARIANT_FALSE;
    if (FAILED(d->get_ProgressiveSequence(&sequence)) || FAILED(d->get_ProgressiveFrame(&frame))) return false;
    report += std::wstring(L"ProgressiveSequence: ") + (sequence ? L"yes" : L"no") + L", ProgressiveFrame: " +
              (frame ? L"yes" : L"no") + L"\r\n";

    tagDEINTERLACE deinterlace = DEINTERLACE_AUTO;
    if (FAILED(d->get_Deinterlace(&deinterlace))) return false;
    static const wchar_t* const kDeinterlace[] = {L"Auto", L"Progressive", L"Weave", L"BOB (Hardware)", L"BOB",
                                                  L"BOB (Double Rate)"};
    if (*NameOf(kDeinterlace, deinterlace))
        report += std::wstring(L"Deinterlace: ") + NameOf(kDeinterlace, deinterlace) + L"\r\n";

    if (FAILED(d->get_GOPHours(&c)) || FAILED(d->get_GOPMinutes(&e)) || FAILED(d->get_GOPSeconds(&f)) ||
        FAILED(d->get_GOPPictures(&g)))
        return false;
    const auto twoDigits = [](long n) { return (n >= 0 && n < 10 ? L"0" : L"") + Number(n); };
    report += L"GOP Time: " + twoDigits(c) + L":" + twoDigits(e) + L":" + twoDigits(f) + L" (" + Number(g) + L")\r\n";
    com::Bstr gop;
    if (FAILED(d->get_GOPStructure(gop.Out()))) return false;
    report += L"GOP Structure: " + com::ToString(gop.Get()) + L"\r\n";

    hyper lateness = 0;
    if (FAILED(d->get_SkippedFrames(&a)) || FAILED(site->get_RendererLateness(&lateness))) return false;
    report += L"Skipped Frames: " + Number(a) + L", Lateness: " + DurationForm(lateness) + L"\r\n";

    hyper bytes = 0;
    if (FAILED(d->get_TotalBytesRead(&bytes))) return false;
    report += L"Total Read: " + GroupedInteger(bytes) + L" bytes, Rate: " + GroupedInteger(rate.Update(now, bytes) * 8) +
              L" bits/sec\r\n";
    return true;
}

}  // namespace

std::int64_t ByteRate::Update(std::int64_t now, std::int64_t bytes) {
    if (!started_) {
        started_ = true;
        referenceTime_ = now;
        referenceBytes_ = bytes;
    } else if (now - referenceTime_ >= kRateWindow) {
        rate_ = (bytes - referenceBytes_) * 10000000 / (now - referenceTime_);
        referenceTime_ = now;
        referenceBytes_ = bytes;
    }
    return rate_;
}

std::wstring BuildInfoReport(IFilterVideoDecoder* site, ByteRate& rate, std::int64_t now) {
    std::wstring report;
    if (!site) return report;
    for (const PinConnection& pin : DescribePins(site)) report += pin.pin + L": " + pin.description + L"\r\n";
    ComPtr<IDispatch> decoder;
    ComPtr<IVideoDecoderMPEG2> stream;
    if (SUCCEEDED(site->get_decoder(decoder.Out())) && decoder &&
        SUCCEEDED(decoder->QueryInterface(__uuidof(IVideoDecoderMPEG2), stream.OutVoid())) && stream)
        AppendStreamLines(site, stream.Get(), rate, now, report);
    return report;
}

}  // namespace tl
