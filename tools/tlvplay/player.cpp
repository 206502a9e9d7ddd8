#include "tools/tlvplay/player.h"

#include <windows.h>

#include <amvideo.h>
#include <control.h>
#include <dvdmedia.h>
#include <evcode.h>
#include <uuids.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "filter/com/com_ptr.h"
#include "tools/tlvplay/dispatch_property.h"
#include "tools/tlvplay/dxva_renderer.h"
#include "tools/tlvplay/frame_grabber.h"
#include "tools/tlvplay/media_guids.h"
#include "tools/tlvplay/mpeg_source.h"
#include "tools/tlvplay/osd_layer.h"
#include "tools/tlvplay/property_frame.h"
#include "tools/tlvplay/push_source.h"

namespace tl::tlvplay {
namespace {

using com::ComPtr;

// Polling interval of the wait for the end of the stream; the window messages of
// renderers that live on this thread are dispatched in between.
constexpr long kWaitSliceMs = 50;

std::string HexResult(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

ComPtr<IPin> FindPin(IBaseFilter* filter, PIN_DIRECTION wanted) {
    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.Out()))) return nullptr;
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.Out(), nullptr) == S_OK) {
        PIN_DIRECTION direction;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == wanted) return pin;
    }
    return nullptr;
}

std::string ConnectionOf(IPin* pin) {
    AM_MEDIA_TYPE mt;
    if (FAILED(pin->ConnectionMediaType(&mt))) return "unconnected";
    const std::string text = DescribeMediaType(mt);
    FreeMediaTypeContents(mt);
    return text;
}

// The type the decoder's output pin offers with the wanted subtype; when it offers
// none, its first VIDEOINFOHEADER2 type rewritten to that subtype.
HRESULT PreferredOutputType(IPin* decoderOut, const OutputFormat& format, MediaType* chosen) {
    ComPtr<IEnumMediaTypes> types;
    HRESULT hr = decoderOut->EnumMediaTypes(types.Out());
    if (FAILED(hr)) return hr;
    MediaType fallback;
    AM_MEDIA_TYPE* mt = nullptr;
    while (types->Next(1, &mt, nullptr) == S_OK) {
        MediaType offered(*mt);
        DeleteMediaType(mt);
        if (IsEqualGUID(offered.Get().subtype, *format.subtype)) {
            *chosen = offered;
            return S_OK;
        }
        if (IsEqualGUID(fallback.Get().formattype, GUID_NULL) &&
            IsEqualGUID(offered.Get().formattype, FORMAT_VideoInfo2) &&
            offered.Get().cbFormat >= sizeof(VIDEOINFOHEADER2))
            fallback = offered;
    }
    if (IsEqualGUID(fallback.Get().formattype, GUID_NULL)) return VFW_E_NO_ACCEPTABLE_TYPES;
    AM_MEDIA_TYPE& out = fallback.Get();
    BITMAPINFOHEADER& bih = reinterpret_cast<VIDEOINFOHEADER2*>(out.pbFormat)->bmiHeader;
    out.subtype = *format.subtype;
    bih.biCompression = format.compression;
    bih.biBitCount = format.bitCount;
    bih.biSizeImage = DWORD(((bih.biWidth * format.bitCount + 31) & ~31) / 8 * std::labs(bih.biHeight));
    out.lSampleSize = bih.biSizeImage;
    *chosen = fallback;
    return S_OK;
}

HRESULT CreateRenderer(const Options& options, const std::shared_ptr<GrabberCounts>& counts,
                       ComPtr<IBaseFilter>* renderer) {
    const GUID* clsid = nullptr;
    switch (options.renderer) {
        case Renderer::Vmr9: clsid = &CLSID_VideoMixingRenderer9; break;
        case Renderer::Vmr7: clsid = &CLSID_VideoMixingRenderer; break;
        case Renderer::Default: clsid = &CLSID_VideoRenderer; break;
        case Renderer::Null: clsid = &kClsidNullRenderer; break;
        case Renderer::Grab: {
            GrabberSettings settings;
            settings.directory = options.grabDirectory;
            // Pictures saved as pictures take the decoder's own RGB conversion, as
            // tlvdec's --snapshot does, unless a format is asked for.
            settings.format = options.format || options.raw ? options.format : FindOutputFormat("rgb24");
            settings.file = options.raw ? FrameFile::Raw : FrameFile::Bitmap;
            return CreateFrameGrabber(settings, counts, renderer->Out());
        }
        case Renderer::Dxva: {
            DxvaRendererSettings settings;
            settings.directory = options.grabDirectory;
            return CreateDxvaRenderer(settings, counts, renderer->Out());
        }
    }
    return CoCreateInstance(*clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, renderer->OutVoid());
}

// A number property of an automation object; -1 when it has none.
long NumberProperty(IUnknown* object, const wchar_t* name) {
    VARIANT value;
    VariantInit(&value);
    long number = -1;
    if (SUCCEEDED(GetProperty(object, name, &value)) && SUCCEEDED(VariantChangeType(&value, &value, 0, VT_I4)))
        number = value.lVal;
    VariantClear(&value);
    return number;
}

// One of the statistics of the decoder a running filter holds; -1 when there is none.
long DecoderStatistic(IBaseFilter* decoder, const wchar_t* name) {
    VARIANT object;
    if (FAILED(GetProperty(decoder, L"decoder", &object))) return -1;
    const long number = object.vt == VT_DISPATCH && object.pdispVal ? NumberProperty(object.pdispVal, name) : -1;
    VariantClear(&object);
    return number;
}

// Frames the renderer reports as drawn, for the renderers that keep the count.
long RendererFrames(IBaseFilter* renderer) {
    ComPtr<IQualProp> quality;
    int drawn = 0;
    if (FAILED(renderer->QueryInterface(IID_IQualProp, quality.OutVoid())) ||
        FAILED(quality->get_FramesDrawn(&drawn)))
        return -1;
    return drawn;
}

// The system renderers keep their window hidden until asked; the grabber and the
// null renderer have none.
void ShowVideoWindow(IGraphBuilder* graph, Renderer renderer) {
    if (renderer == Renderer::Grab || renderer == Renderer::Null || renderer == Renderer::Dxva) return;
    ComPtr<IVideoWindow> window;
    if (FAILED(graph->QueryInterface(IID_IVideoWindow, window.OutVoid()))) return;
    if (BSTR caption = SysAllocString(L"tlvplay")) {
        window->put_Caption(caption);
        SysFreeString(caption);
    }
    window->put_Visible(-1);  // OATRUE
}

void DispatchWindowMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// A window renderer that cannot start most often lacks a display.
std::string WithDisplayHint(const Options& options, const std::string& what) {
    const bool window = options.renderer != Renderer::Grab && options.renderer != Renderer::Null;
    return window ? what + "; without a display, run under xvfb-run -a or use --renderer null or grab DIR" : what;
}

PlayReport Fail(PlayReport report, const std::string& what, HRESULT hr) {
    report.ok = false;
    report.error = what + " (" + HexResult(hr) + ")";
    return report;
}

}  // namespace

PlayReport Play(const Options& options) { return Play(options, nullptr, nullptr); }

PlayReport Play(const Options& options, IBaseFilter* callersDecoder, ComPtr<IMediaControl>* running) {
    PlayReport report;
    std::string error;
    std::unique_ptr<MpegSource> stream = MpegSource::Open(options.input, &error, options.pid);
    if (!stream) {
        report.error = error;
        return report;
    }

    ComPtr<IGraphBuilder> graph;
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                  graph.OutVoid());
    if (FAILED(hr)) return Fail(report, "cannot create the filter graph", hr);

    ComPtr<IBaseFilter> source;
    hr = CreatePushSource(std::move(stream), source.Out());
    if (SUCCEEDED(hr)) hr = graph->AddFilter(source.Get(), L"Source");
    if (FAILED(hr)) return Fail(report, "cannot add the source filter", hr);

    ComPtr<IBaseFilter> decoder(callersDecoder);
    if (!decoder)
        hr = CoCreateInstance(kClsidFilterVideoDecoder, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                              decoder.OutVoid());
    if (hr == REGDB_E_CLASSNOTREG) {
        report.error = "tlVideoDecoder.ax is not registered (regsvr32 tlVideoDecoder.ax)";
        return report;
    }
    if (SUCCEEDED(hr)) hr = graph->AddFilter(decoder.Get(), L"Video Decoder");
    if (FAILED(hr)) return Fail(report, "cannot create the video decoder filter", hr);

    if (!options.grabDirectory.empty() && !CreateDirectoryA(options.grabDirectory.c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
        return Fail(report, "cannot create directory " + options.grabDirectory, HRESULT_FROM_WIN32(GetLastError()));
    auto counts = std::make_shared<GrabberCounts>();
    ComPtr<IBaseFilter> renderer;
    hr = CreateRenderer(options, counts, &renderer);
    if (SUCCEEDED(hr)) hr = graph->AddFilter(renderer.Get(), L"Renderer");
    if (FAILED(hr))
        return Fail(report, WithDisplayHint(options, std::string("cannot create the ") +
                                                         RendererName(options.renderer) + " renderer"), hr);

    if (options.renderer == Renderer::Dxva) {
        // The DirectX VA output types are offered only with the setting on.
        VARIANT on;
        VariantInit(&on);
        on.vt = VT_BOOL;
        on.boolVal = VARIANT_TRUE;
        hr = PutProperty(decoder.Get(), L"DXVA", on);
        if (FAILED(hr)) return Fail(report, "cannot set the decoder's DXVA property", hr);
    }
    if (options.deinterlace >= 0) {
        VARIANT mode;
        VariantInit(&mode);
        mode.vt = VT_I4;
        mode.lVal = options.deinterlace;
        hr = PutProperty(decoder.Get(), L"Deinterlace", mode);
        if (FAILED(hr)) return Fail(report, "cannot set the decoder's Deinterlace property", hr);
    }

    hr = AddOsdLayer(decoder.Get(), options.osd);
    if (FAILED(hr)) return Fail(report, "cannot add the on-screen layer", hr);

    const ComPtr<IPin> sourceOut = FindPin(source.Get(), PINDIR_OUTPUT);
    const ComPtr<IPin> decoderIn = FindPin(decoder.Get(), PINDIR_INPUT);
    const ComPtr<IPin> decoderOut = FindPin(decoder.Get(), PINDIR_OUTPUT);
    const ComPtr<IPin> rendererIn = FindPin(renderer.Get(), PINDIR_INPUT);
    if (!sourceOut || !decoderIn || !decoderOut || !rendererIn) return Fail(report, "a filter lacks a pin", E_FAIL);
    hr = graph->ConnectDirect(sourceOut.Get(), decoderIn.Get(), nullptr);
    if (FAILED(hr)) return Fail(report, "the decoder refuses the stream's media type", hr);
    report.inputType = ConnectionOf(sourceOut.Get());
    if (options.format) {
        MediaType preferred;
        hr = PreferredOutputType(decoderOut.Get(), *options.format, &preferred);
        if (SUCCEEDED(hr)) hr = graph->ConnectDirect(decoderOut.Get(), rendererIn.Get(), &preferred.Get());
        if (FAILED(hr))
            return Fail(report,
                        WithDisplayHint(options, std::string("cannot connect the decoder to the renderer as ") +
                                                     options.format->name),
                        hr);
    } else {
        hr = graph->Connect(decoderOut.Get(), rendererIn.Get());
        if (FAILED(hr)) return Fail(report, WithDisplayHint(options, "cannot connect the decoder to the renderer"), hr);
    }

    ShowVideoWindow(graph.Get(), options.renderer);

    ComPtr<IMediaControl> control;
    ComPtr<IMediaEvent> events;
    hr = graph.As(&control);
    if (SUCCEEDED(hr)) hr = graph->QueryInterface(IID_IMediaEvent, events.OutVoid());
    if (FAILED(hr)) return Fail(report, "the graph lacks IMediaControl or IMediaEvent", hr);
    hr = control->Run();
    if (FAILED(hr)) return Fail(report, WithDisplayHint(options, "the graph does not run"), hr);

    const ULONGLONG started = GetTickCount64();
    const ULONGLONG limit = options.seconds > 0 ? ULONGLONG(options.seconds * 1000) : ~0ULL;
    long code = 0;
    if (options.properties) {
        code = ShowPropertiesWhilePlaying(decoder.Get(), events.Get(), options.seconds > 0 ? started + limit : 0);
    } else {
        for (;;) {
            DispatchWindowMessages();
            if (events->WaitForCompletion(kWaitSliceMs, &code) == S_OK) break;
            if (GetTickCount64() - started >= limit) {
                code = 0;
                break;
            }
        }
    }
    report.seconds = double(GetTickCount64() - started) / 1000.0;
    report.completed = code == EC_COMPLETE;
    // A stream shorter than the time asked for leaves its last picture on the
    // renderer's window until the time is up.
    if (report.completed && options.seconds > 0 && !options.properties && options.renderer != Renderer::Grab &&
        options.renderer != Renderer::Null && options.renderer != Renderer::Dxva) {
        while (GetTickCount64() - started < limit) {
            DispatchWindowMessages();
            Sleep(kWaitSliceMs);
        }
    }
    report.decoderErrors = DecoderStatistic(decoder.Get(), L"Errors");
    const long shownFrames = DecoderStatistic(decoder.Get(), L"FrameNum") -
                             std::max(0L, DecoderStatistic(decoder.Get(), L"SkippedFrames"));
    report.undeliveredFrames = NumberProperty(decoder.Get(), L"UndeliveredFrames");
    report.outputType = ConnectionOf(decoderOut.Get());
    const bool leaveRunning = running && report.completed;
    if (leaveRunning)
        *running = control;
    else
        control->Stop();
    const bool counted = options.renderer == Renderer::Grab || options.renderer == Renderer::Dxva;
    report.frames = counted ? long(counts->frames) : RendererFrames(renderer.Get());
    // A renderer that keeps no count (the null renderer): the decoder's own.
    if (report.frames < 0) report.frames = shownFrames - std::max(0L, report.undeliveredFrames);
    if (code != 0 && code != EC_COMPLETE) {
        report.error = "playback aborted (event " + HexResult(code) + ")";
        return report;
    }
    if (counts->failures > 0) {
        report.error = std::to_string(counts->failures) + " frames could not be written to " + options.grabDirectory;
        return report;
    }
    report.ok = true;
    return report;
}

std::string Summarize(const Options& options, const PlayReport& report) {
    std::string line = "tlvplay: frames=" + (report.frames >= 0 ? std::to_string(report.frames) : "?");
    if (report.decoderErrors >= 0) line += " errors=" + std::to_string(report.decoderErrors);
    if (report.undeliveredFrames >= 0) line += " undelivered=" + std::to_string(report.undeliveredFrames);
    line += " input=\"" + report.inputType + "\" output=\"" + report.outputType + "\"";
    line += std::string(" renderer=") + RendererName(options.renderer);
    line += report.completed ? " end=complete" : " end=time";
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, " seconds=%.2f", report.seconds);
    return line + seconds;
}

}  // namespace tl::tlvplay
