// The filter in real graphs of the platform's filter graph manager: a test
// source pushing corpus streams, the filter and a recording sink (or the Sample
// Grabber, for its class identifier).
#include <gtest/gtest.h>

#include <FilterVideoDecoder.h>

#include <dshow.h>
#include <dvdmedia.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "filter/com/bstr.h"
#include "filter/com/com_ptr.h"
#include "filter/com/variant.h"
#include "filter/dxva/dxva_declarations.h"
#include "filter/dshow/media_type.h"
#include "filter/plugins/host/plugin_list.h"
#include "filter/plugins/info_layer/number_forms.h"
#include "filter/settings/filter_settings.h"
#include "registered_module.h"
#include "registry_helpers.h"
#include "recording_sink.h"
#include "test_source_filter.h"
#include "tests/support/corpus.h"
#include "tests/support/picture_md5.h"
#include "tools/tlvplay/dxva_renderer.h"

namespace {

using tl::com::Bstr;
using tl::com::ComPtr;
using tl::test::FirstPin;

constexpr CLSID kSampleGrabber = {0xc1f400a0, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};
constexpr GUID kSubtypeLowerL264 = {0x3436326c, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

class GraphTest : public tl::test::RegisteredModuleTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(RegisteredModuleSuite::SetUp());
        ASSERT_TRUE(graph_ = tl::test::Instance<IGraphBuilder>(CLSID_FilterGraph));
        ASSERT_TRUE(filter_ = tl::test::Instance<IBaseFilter>(__uuidof(FilterVideoDecoder)));
        ASSERT_EQ(filter_.As(&settings_), S_OK);
        // Plain copies of the decoded planes, so frames can be compared with the
        // corpus digests.
        ASSERT_EQ(settings_->put_ColorCorrection(VARIANT_FALSE), S_OK);
        source_ = tl::test::CreateTestSource();
        ASSERT_EQ(graph_->AddFilter(source_.Get(), L"source"), S_OK);
        ASSERT_EQ(graph_->AddFilter(filter_.Get(), L"decoder"), S_OK);
        ComPtr<IMediaFilter> clockless;
        ASSERT_EQ(graph_.As(&clockless), S_OK);
        ASSERT_EQ(clockless->SetSyncSource(nullptr), S_OK);
    }
    void TearDown() override {
        if (control_) control_->Stop();
        control_.Reset();
        log_.reset();
        settings_.Reset();
        filter_.Reset();
        source_.Reset();
        graph_.Reset();
    }
    void Restart() {
        TearDown();
        SetUp();
    }

    ComPtr<IPin> Pin(const wchar_t* id) {
        ComPtr<IPin> pin;
        EXPECT_EQ(filter_->FindPin(id, pin.Out()), S_OK);
        return pin;
    }
    ComPtr<IPin> In() { return Pin(L"Video In"); }
    ComPtr<IPin> Out() { return Pin(L"Video Out"); }
    HRESULT ConnectSource() { return graph_->ConnectDirect(&source_->Pin(), In().Get(), nullptr); }

    // Source -> decoder -> recording sink (taking only `subtype` unless GUID_NULL,
    // and no new type once connected, as Wine's sample grabber). Returns the result
    // of connecting the decoder's output.
    HRESULT BuildGraph(const GUID& subtype, const tl::test::StreamInfo* stream = nullptr) {
        if (stream) source_->Pin().SetPictureSize(stream->width(), stream->height());
        HRESULT hr = ConnectSource();
        if (FAILED(hr)) return hr;
        log_ = std::make_shared<tl::test::SinkLog>();
        log_->subtype = subtype;
        log_->refusesNewTypes = true;
        ComPtr<IBaseFilter> sink;
        EXPECT_EQ(tl::test::CreateRecordingSink(log_, sink.Out()), S_OK);
        EXPECT_EQ(graph_->AddFilter(sink.Get(), L"sink"), S_OK);
        EXPECT_EQ(graph_.As(&control_), S_OK);
        return graph_->ConnectDirect(Out().Get(), FirstPin(sink.Get(), PINDIR_INPUT).Get(), nullptr);
    }

    // A new visible layer among the top layer's children.
    ComPtr<ILayer> AddLayer(const wchar_t* name) {
        ComPtr<ILayer> top, layer;
        ComPtr<ILayersCollection> children;
        EXPECT_EQ(settings_->get_TopLayer(top.Out()), S_OK);
        EXPECT_EQ(top->get_layers(children.Out()), S_OK);
        EXPECT_EQ(settings_->CreateLayer(layer.Out()), S_OK);
        EXPECT_EQ(layer->put_visible(VARIANT_TRUE), S_OK);
        EXPECT_EQ(children->Add(Bstr(name).Get(), layer.Get(), nullptr), S_OK);
        return layer;
    }

    // The bytes of every sample the sink has received.
    std::vector<std::vector<BYTE>> Frames() const {
        std::vector<std::vector<BYTE>> frames;
        for (const tl::test::SinkEvent& e : log_->Events())
            if (e.kind == tl::test::SinkEvent::Sample) frames.push_back(e.bytes);
        return frames;
    }

    tl::MediaType OutputType() {
        tl::MediaType type;
        AM_MEDIA_TYPE mt{};
        EXPECT_EQ(Out()->ConnectionMediaType(&mt), S_OK);
        type.Assign(mt);
        tl::FreeMediaTypeContents(mt);
        return type;
    }

    // Runs the graph, pushes the whole elementary stream and stops once it has drained.
    std::vector<std::vector<BYTE>> Play(const tl::test::StreamInfo& stream, std::size_t chunk) {
        EXPECT_TRUE(SUCCEEDED(control_->Run()));
        EXPECT_EQ(source_->Pin().Push(tl::test::read_file_bytes(stream.streamPath()), chunk), S_OK);
        EXPECT_EQ(control_->Stop(), S_OK);
        return Frames();
    }

    ComPtr<IGraphBuilder> graph_;
    ComPtr<IBaseFilter> filter_;
    ComPtr<IFilterVideoDecoder> settings_;
    ComPtr<tl::test::TestSourceFilter> source_;
    std::shared_ptr<tl::test::SinkLog> log_;
    ComPtr<IMediaControl> control_;
};

std::vector<std::string> Yv12Digests(const std::vector<std::vector<BYTE>>& frames, int width, int height) {
    std::vector<std::string> digests;  // of tight rows: the width is a multiple of 8
    for (const std::vector<BYTE>& frame : frames) {
        const BYTE* y = frame.data();
        const BYTE* v = y + width * height;
        const BYTE* u = v + (width / 2) * (height / 2);
        digests.push_back(tl::test::planes_md5({y, width, width, height}, {u, width / 2, width / 2, height / 2},
                                               {v, width / 2, width / 2, height / 2}));
    }
    return digests;
}

TEST_F(GraphTest, OutputTypesFollowThePriorityLists) {
    ASSERT_EQ(ConnectSource(), S_OK);
    const std::pair<const wchar_t*, std::vector<GUID>> cases[] = {
        {nullptr,
         {MEDIASUBTYPE_YUY2, MEDIASUBTYPE_UYVY, MEDIASUBTYPE_YV12, MEDIASUBTYPE_RGB32, MEDIASUBTYPE_RGB24,
          MEDIASUBTYPE_RGB565, MEDIASUBTYPE_RGB555}},
        {L"YV12,RGB32", {MEDIASUBTYPE_YV12, MEDIASUBTYPE_RGB32}},
    };
    for (const auto& [list, subtypes] : cases) {
        if (list) {
            ASSERT_EQ(settings_->put_OutputTypesPriority(Bstr(list).Get()), S_OK);
        }
        ComPtr<IEnumMediaTypes> types;
        ASSERT_EQ(Out()->EnumMediaTypes(types.Out()), S_OK);
        std::vector<GUID> seen;
        for (AM_MEDIA_TYPE* mt = nullptr; types->Next(1, &mt, nullptr) == S_OK; tl::DeleteMediaType(mt))
            seen.push_back(mt->subtype);
        EXPECT_TRUE(seen == subtypes) << (list ? "listed" : "default");
    }
    ASSERT_EQ(settings_->put_OutputTypesPriority(Bstr(L"nothing").Get()), S_OK);
    ComPtr<IEnumMediaTypes> none;
    EXPECT_EQ(Out()->EnumMediaTypes(none.Out()), E_INVALIDARG);
}

TEST_F(GraphTest, DenyListRefusesTheGrabberAndAllowListAdmitsIt) {
    const ComPtr<IBaseFilter> grabber = tl::test::Instance<IBaseFilter>(kSampleGrabber);
    ASSERT_TRUE(grabber);
    ASSERT_EQ(graph_->AddFilter(grabber.Get(), L"grabber"), S_OK);
    ASSERT_EQ(ConnectSource(), S_OK);
    wchar_t id[39];
    ASSERT_EQ(StringFromGUID2(kSampleGrabber, id, 39), 39);
    const std::wstring other = L"{00000000-0000-0000-0000-000000000001}";
    std::wstring lower = id;
    CharLowerW(lower.data());
    const std::tuple<std::wstring, std::wstring, HRESULT> cases[] = {  // allow list, deny list, connection
        {L"", id, E_FAIL},
        {other, L"", E_FAIL},
        {other + id, id, E_FAIL},
        {other.substr(0, 37), L"", S_OK},  // too short to be an entry: allows every filter
        {other + id + L"x", L"", S_OK},
        {other + lower, L"", S_OK},  // identifiers compare without case
        {L"x" + other + id, L"", E_FAIL},  // shifted by one: no entry equals the grabber's
    };
    const ComPtr<IPin> out = Out();
    for (const auto& [allow, deny, expected] : cases) {
        ASSERT_EQ(settings_->put_OutputConnectionAllowList(Bstr(allow).Get()), S_OK);
        ASSERT_EQ(settings_->put_OutputConnectionDenyList(Bstr(deny).Get()), S_OK);
        EXPECT_EQ(graph_->ConnectDirect(out.Get(), FirstPin(grabber.Get(), PINDIR_INPUT).Get(), nullptr), expected);
        ComPtr<IPin> peer;
        EXPECT_EQ(out->ConnectedTo(peer.Out()), expected == S_OK ? S_OK : VFW_E_NOT_CONNECTED);
        if (peer) {
            ASSERT_TRUE(graph_->Disconnect(out.Get()) == S_OK && graph_->Disconnect(peer.Get()) == S_OK);
        }
    }
}

TEST_F(GraphTest, StateChangesCreateOneDecoderAndStopReleasesIt) {
    ASSERT_EQ(BuildGraph(GUID_NULL), S_OK);
    const auto decoder = [&] {
        ComPtr<IDispatch> object;
        EXPECT_EQ(settings_->get_decoder(object.Out()), S_OK);
        return object;
    };
    EXPECT_EQ(decoder().Get(), nullptr);
    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE(cycle);
        ASSERT_EQ(filter_->Pause(), S_OK);
        const ComPtr<IDispatch> first = decoder();
        ASSERT_NE(first.Get(), nullptr);
        ASSERT_EQ(filter_->Pause(), S_OK);
        EXPECT_EQ(decoder().Get(), first.Get()) << "a second Pause keeps the decoder";
        ASSERT_EQ(filter_->Run(0), S_OK);
        FILTER_STATE state;
        EXPECT_TRUE(filter_->GetState(0, &state) == S_OK && state == State_Running);
        ASSERT_TRUE(filter_->Stop() == S_OK && filter_->Stop() == S_OK);
        EXPECT_EQ(decoder().Get(), nullptr);
    }
}

TEST_F(GraphTest, H264InputCannotLeaveStopped) {
    source_->Pin().offered.subtype = kSubtypeLowerL264;
    ASSERT_EQ(ConnectSource(), S_OK);
    EXPECT_EQ(filter_->Pause(), E_NOINTERFACE);
    FILTER_STATE state;
    EXPECT_TRUE(filter_->GetState(0, &state) == S_OK && state == State_Paused);
    EXPECT_EQ(filter_->Stop(), S_OK);
    EXPECT_TRUE(filter_->GetState(0, &state) == S_OK && state == State_Stopped);
}

TEST_F(GraphTest, MapperFindsTheFilterForMpeg2VideoAtItsMerit) {
    const ComPtr<IFilterMapper2> mapper = tl::test::Instance<IFilterMapper2>(CLSID_FilterMapper2);
    ASSERT_TRUE(mapper);
    auto found = [&](const GUID& major) {
        const GUID types[2] = {major, MEDIASUBTYPE_MPEG2_VIDEO};
        ComPtr<IEnumMoniker> monikers;
        EXPECT_EQ(mapper->EnumMatchingFilters(monikers.Out(), 0, TRUE, MERIT_NORMAL, TRUE, 1, types, nullptr, nullptr,
                                              FALSE, FALSE, 0, nullptr, nullptr, nullptr),
                  S_OK);
        ComPtr<IMoniker> moniker;
        while (monikers && monikers->Next(1, moniker.Out(), nullptr) == S_OK) {
            ComPtr<IPropertyBag> bag;
            if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.OutVoid()))) continue;
            tl::com::Variant clsid;
            if (SUCCEEDED(bag->Read(L"CLSID", clsid.Out(), nullptr)) && clsid.Type() == VT_BSTR &&
                _wcsicmp(clsid.Get().bstrVal, L"{1f350c86-c761-4193-9f2b-8cfdf51c2998}") == 0)
                return true;
        }
        return false;
    };
    // The mapper lists a filter only through categories of at least the asked
    // merit, and the DirectShow filters category has MERIT_NORMAL; the filter's
    // own merit is in its FilterData (version, then merit).
    for (const GUID& major : {MEDIATYPE_Video, MEDIATYPE_MPEG2_PES, MEDIATYPE_DVD_ENCRYPTED_PACK, MEDIATYPE_Audio})
        EXPECT_EQ(found(major), !IsEqualGUID(major, MEDIATYPE_Audio));
    const std::wstring instance =
        L"CLSID\\{083863F1-70DE-11d0-BD40-00A0C911CE86}\\Instance\\{1F350C86-C761-4193-9F2B-8CFDF51C2998}";
    const auto data = tl::test::ReadRaw(HKEY_CLASSES_ROOT, instance, L"FilterData");
    ASSERT_TRUE(data && data->data.size() >= 8);
    DWORD header[2];  // REGFILTER2 version, merit: MERIT_PREFERRED + 0x200
    std::memcpy(header, data->data.data(), sizeof(header));
    EXPECT_EQ(std::make_pair(header[0], header[1]), std::make_pair(DWORD(2), DWORD(0x800200)));
    EXPECT_EQ(tl::test::ReadRaw(HKEY_CLASSES_ROOT, instance + L"\\Capabilities", L"{374ac4df-7c98-4257-b13d-36087dbee458}"),
              tl::test::Dword(1));
}

// Stopping with data queued (three times), then a flush in the middle of a
// stream: what was queued is dropped, samples are refused while flushing, and
// the whole stream then decodes exactly.
TEST_F(GraphTest, StopOrFlushWithQueuedDataThenPlayAgain) {
    const tl::test::StreamInfo stream = tl::test::find_stream("prog420_cgop");
    ASSERT_EQ(BuildGraph(MEDIASUBTYPE_YV12, &stream), S_OK);
    const std::vector<std::uint8_t> bytes = tl::test::read_file_bytes(stream.streamPath());
    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE(cycle);
        ASSERT_TRUE(SUCCEEDED(control_->Run()));
        ASSERT_EQ(source_->Pin().PushOne(bytes.data(), bytes.size() / 2), S_OK);
        EXPECT_EQ(control_->Stop(), S_OK);
    }
    EXPECT_LT(Frames().size(), std::size_t(3 * stream.frames()));
    ASSERT_TRUE(SUCCEEDED(control_->Run()));
    ASSERT_EQ(source_->Pin().PushOne(bytes.data(), bytes.size() / 3), S_OK);
    const ComPtr<IPin> in = In();
    ASSERT_EQ(in->BeginFlush(), S_OK);
    EXPECT_EQ(source_->Pin().PushOne(bytes.data(), 4096), S_FALSE) << "refused while flushing";
    ASSERT_EQ(in->EndFlush(), S_OK);
    const std::size_t before = Frames().size();
    const auto frames = Play(stream, 4096);
    ASSERT_EQ(frames.size(), before + std::size_t(stream.frames()));
    const std::vector<std::vector<BYTE>> last(frames.end() - stream.frames(), frames.end());
    EXPECT_EQ(Yv12Digests(last, stream.width(), stream.height()), tl::test::read_md5_lines(stream.md5Path()));
}

// Layers added to the top layer before the graph runs (text on a half-opaque
// box, an image file, the same image from the module's resources) change every
// grabbed RGB32 frame inside their viewports and nothing outside them, while a
// script-like thread rewrites another text layer and moves it many times within
// a band of rows: every picture still arrives and nothing deadlocks. (A text
// layer over YUY2 frames is decided by the end-to-end run of tlvplay.)
TEST_F(GraphTest, LayersChangeFramesOnlyInsideTheirViewports) {
    constexpr RECT kText{40, 24, 200, 72};
    constexpr RECT kFile{220, 24, 268, 48};  // the opaque 48 x 24 logo at its own size
    constexpr RECT kResource{40, 200, 88, 224};
    constexpr int kResourceId = 201, kChanges = 300, kBandTop = 100, kBandBottom = 140;
    const std::filesystem::path file = tl::test::source_dir() / "resources" / "images" / "layer_logo.png";
    const tl::test::StreamInfo stream = tl::test::find_stream("prog420_cgop");
    ASSERT_EQ(BuildGraph(MEDIASUBTYPE_RGB32, &stream), S_OK);
    const auto plain = Play(stream, 4096);
    Restart();
    ASSERT_EQ(BuildGraph(MEDIASUBTYPE_RGB32, &stream), S_OK);
    const ComPtr<ILayer> text = AddLayer(L"text"), image = AddLayer(L"image"), logo = AddLayer(L"logo");
    ASSERT_EQ(text->SetViewPort(kText.left, kText.top, kText.right, kText.bottom), S_OK);
    ASSERT_EQ(text->put_BackColor(0xC0203040), S_OK);
    ASSERT_EQ(text->put_Text(Bstr(L"Tarvello\nlayers").Get()), S_OK);
    ASSERT_EQ(image->MoveToXY(kFile.left, kFile.top), S_OK);
    ASSERT_EQ(image->Load(Bstr(file.wstring()).Get()), S_OK);
    ASSERT_EQ(logo->MoveToXY(kResource.left, kResource.top), S_OK);
    EXPECT_EQ(logo->LoadFromResource(Bstr(L"PNG").Get(), kResourceId + 1), E_FAIL) << "no such resource";
    ASSERT_EQ(logo->LoadFromResource(Bstr(L"PNG").Get(), kResourceId), S_OK);
    LONG cx = 0, cy = 0;
    EXPECT_TRUE(image->get_cx(&cx) == S_OK && logo->get_cy(&cy) == S_OK);
    EXPECT_EQ(cx, kFile.right - kFile.left) << "a loaded image takes its own size";
    EXPECT_EQ(cy, kResource.bottom - kResource.top);
    const ComPtr<ILayer> busy = AddLayer(L"busy");
    ASSERT_EQ(busy->put_BackColor(0x80FF0000), S_OK);
    const bool bottomUp = OutputType().FormatAs<VIDEOINFOHEADER2>()->bmiHeader.biHeight > 0;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        for (int i = 0; i < kChanges && !done; ++i) {
            busy->put_Text(Bstr(L"change " + std::to_wstring(i)).Get());
            busy->SetViewPort(i % 200, kBandTop, i % 200 + 40 + i % 50, kBandBottom);
        }
        CoUninitialize();
    });
    const auto layered = Play(stream, 1000);
    done = true;
    writer.join();
    ASSERT_EQ(layered.size(), plain.size());
    ASSERT_FALSE(plain.empty());
    const int width = stream.width(), rows = stream.height();
    const RECT viewports[] = {kText, kFile, kResource};
    for (std::size_t f = 0; f < plain.size(); ++f) {
        ASSERT_EQ(layered[f].size(), plain[f].size());
        int changedOutside = 0, changedInBand = 0, changedInside[3] = {0, 0, 0};
        for (int i = 0; i < width * rows; ++i) {
            const int x = i % width, y = bottomUp ? rows - 1 - i / width : i / width;
            // In the busy layer's band anything may change.
            int* counter = y >= kBandTop && y < kBandBottom ? &changedInBand : &changedOutside;
            for (int v = 0; v < 3; ++v) {
                const RECT& r = viewports[v];
                if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) counter = &changedInside[v];
            }
            *counter += std::memcmp(&plain[f][4 * i], &layered[f][4 * i], 4) != 0;
        }
        EXPECT_EQ(changedOutside, 0) << "frame " << f;
        for (int v = 0; v < 3; ++v) {
            const RECT& r = viewports[v];
            EXPECT_GT(changedInside[v], (r.right - r.left) * (r.bottom - r.top) * 9 / 10) << "frame " << f << " layer " << v;
        }
    }
}

// The information overlay switched on for one test, with a short period and a
// viewport of the test's; switched off again afterwards.
struct InfoLayerEnabled {
    explicit InfoLayerEnabled(const RECT& v) {
        const std::pair<const wchar_t*, LONG> values[] = {{L"bPluginEnabled", 1},     {L"dwRefreshTimeout", 100},
                                                          {L"dwViewPortLeft", v.left}, {L"dwViewPortTop", v.top},
                                                          {L"dwViewPortRight", v.right}, {L"dwViewPortBottom", v.bottom}};
        for (const auto& [name, value] : values) Write(name, std::uint32_t(value));
    }
    ~InfoLayerEnabled() { Write(L"bPluginEnabled", 0); }
    static void Write(const wchar_t* name, std::uint32_t value) {
        tl::test::WriteRaw(HKEY_CURRENT_USER, std::wstring(tl::kPluginsKeyPath) + L"\\InfoLayer", name,
                           tl::test::Dword(value));
    }
};

// The text of the top layer's child "InfoLayer"; false while there is none.
bool InfoLayerText(IFilterVideoDecoder* filter, std::wstring* text) {
    ComPtr<ILayer> top, layer;
    ComPtr<ILayersCollection> children;
    Bstr name(L"InfoLayer"), value;
    VARIANT index{};
    index.vt = VT_BSTR;
    index.bstrVal = name.Get();
    tl::com::Variant item;
    if (FAILED(filter->get_TopLayer(top.Out())) || FAILED(top->get_layers(children.Out())) ||
        children->item(index, item.Out()) != S_OK || item.Type() != VT_DISPATCH ||
        FAILED(item.Get().pdispVal->QueryInterface(__uuidof(ILayer), layer.OutVoid())) ||
        FAILED(layer->get_Text(value.Out())))
        return false;
    *text = tl::com::ToString(value.Get());
    return true;
}

// With the information overlay enabled, its layer appears under its name once
// the filter is in a graph; after a corpus stream played (the graph still
// running, the data rate settled over two quiet windows) its text is the report
// of that stream. That its pixels stay inside its viewport is decided by the
// end-to-end run of tlvplay.
TEST_F(GraphTest, InfoLayerReportsThePlayedStream) {
    constexpr RECT kViewport{8, 8, 340, 232};
    const tl::test::StreamInfo stream = tl::test::find_stream("prog420_cgop");
    const std::vector<std::uint8_t> bytes = tl::test::read_file_bytes(stream.streamPath());
    const std::vector<std::wstring> lines = {
        L"Video In: Type:{MPEG2_VIDEO}, ConnectedTo:{source}",
        L"Video Out: Type:{YUY2}, ConnectedTo:{sink}",
        L"Size: 352x288, CodedSize: 352x288, DisplaySize: 0x0",
        L"Aspect Ratio: 352:288, (stream info: 1:1)",
        L"ChromaFormat: 4:2:0, ColourPrimaries: 1, MatrixCoefficients: 1",
        L"BitRate: 104.857.200, FrameRate: 25, FrameNum: 36",  // bit_rate 0x3FFFF (variable)
        L"Picture Structure: Frame",
        L"Profile: Main; Level: Main; Video Format: Component",
        L"ProgressiveSequence: yes, ProgressiveFrame: yes",
        L"Deinterlace: Progressive",
        L"GOP Time: 00:00:01 (5)",  // the last GOP starts at picture 30 of 25 per second
        L"GOP Structure: IPBBPB",  // its pictures in coded order
        L"Skipped Frames: 0, Lateness: 0.000 sec",
        L"Total Read: " + tl::GroupedInteger(std::int64_t(bytes.size())) + L" bytes, Rate: 0 bits/sec",
    };

    std::wstring expected;  // every line ends in "\r\n"
    for (const std::wstring& line : lines) expected += line + L"\r\n";
    InfoLayerEnabled enabled(kViewport);
    Restart();  // the plug-ins are read when the filter joins a graph
    ASSERT_EQ(BuildGraph(MEDIASUBTYPE_YUY2, &stream), S_OK);
    std::wstring text;
    const auto read = [&] { return InfoLayerText(settings_.Get(), &text); };
    ASSERT_TRUE(tl::test::WaitFor(read)) << "the layer is in place before the graph runs";
    ASSERT_TRUE(SUCCEEDED(control_->Run()));
    ASSERT_EQ(source_->Pin().Push(bytes, 4096), S_OK);
    tl::test::WaitFor([&] { return read() && text == expected; }, 15000);
    EXPECT_EQ(text, expected);
    EXPECT_EQ(control_->Stop(), S_OK);
}

// A renderer that hosts an accelerator: the surfaces it is asked for follow the
// mode and dwDXVAMaxNumSurfaces (read when a filter is created); an accelerator
// that will not lock its configuration sends the pin on to the next type, and
// in the end to software.
TEST_F(GraphTest, DxvaConnectionSurfacesAndFallback) {
    // what, the types offered, dwDXVAMaxNumSurfaces, the mode whose lock is refused; the mode connected and
    // the fewest and most surfaces asked for
    const std::tuple<const char*, const wchar_t*, DWORD, char, const GUID*, DWORD, DWORD> cases[] = {
        {"mode A, up to the setting", L"DXVA_A", 8, 0, &tl::dxva::kModeMPEG2_A, 4, 8},
        {"mode B needs one more", L"DXVA_B", 8, 0, &tl::dxva::kModeMPEG2_B, 5, 8},
        {"setting 0: exactly the minimum", L"DXVA_B", 0, 0, &tl::dxva::kModeMPEG2_B, 5, 5},
        {"a refused lock moves on to the next type", L"DXVA_B,DXVA_A", 8, 'B', &tl::dxva::kModeMPEG2_A, 4, 8},
    };
    const tl::test::StreamInfo stream = tl::test::find_stream("prog420_cgop");
    for (const auto& [name, types, maxSurfaces, refused, connected, minimum, maximum] : cases) {
        SCOPED_TRACE(name);
        tl::test::WriteRaw(HKEY_CURRENT_USER, tl::kSettingsKeyPath, L"dwDXVAMaxNumSurfaces",
                           tl::test::Dword(maxSurfaces));
        Restart();  // the setting is read when a filter is created
        ASSERT_EQ(settings_->put_DXVA(VARIANT_TRUE), S_OK);
        ASSERT_EQ(settings_->put_OutputTypesPriorityDXVA(Bstr(types).Get()), S_OK);
        auto request = std::make_shared<tl::tlvplay::DxvaSurfaceRequest>();
        tl::tlvplay::DxvaRendererSettings rendererSettings;
        rendererSettings.refusedMode = refused;
        rendererSettings.request = request;
        ComPtr<IBaseFilter> renderer;
        ASSERT_EQ(tl::tlvplay::CreateDxvaRenderer(rendererSettings, std::make_shared<tl::tlvplay::GrabberCounts>(),
                                                  renderer.Out()),
                  S_OK);
        ASSERT_EQ(graph_->AddFilter(renderer.Get(), L"renderer"), S_OK);
        source_->Pin().SetPictureSize(stream.width(), stream.height());
        ASSERT_EQ(ConnectSource(), S_OK);
        ASSERT_EQ(graph_->ConnectDirect(Out().Get(), FirstPin(renderer.Get(), PINDIR_INPUT).Get(), nullptr), S_OK);
        EXPECT_TRUE(IsEqualGUID(OutputType().Get().subtype, *connected));
        EXPECT_EQ(std::make_pair(request->minimum, request->maximum), std::make_pair(minimum, maximum));
    }
    tl::test::WriteRaw(HKEY_CURRENT_USER, tl::kSettingsKeyPath, L"dwDXVAMaxNumSurfaces", tl::test::Dword(8));
}

// Upstream announces no size, so the first type has the default size; at the
// first sequence header the filter offers the stream's size. A sink that takes
// it (as the system video renderers do) gets pictures of that size from then on;
// one that refuses it (as Wine's sample grabber does) goes on getting them in the
// type first agreed.
TEST_F(GraphTest, RenegotiationToTheStreamSizeWhereTheSinkTakesIt) {
    const tl::test::StreamInfo stream = tl::test::find_stream("prog420_cgop");
    for (const bool takes : {true, false}) {
        SCOPED_TRACE(takes ? "taken" : "refused");
        Restart();
        ASSERT_EQ(BuildGraph(GUID_NULL), S_OK);
        log_->refusesNewTypes = !takes;
        const auto frames = Play(stream, 4096);
        const std::vector<tl::MediaType> types = log_->Types();
        ASSERT_EQ(types.size(), takes ? 2u : 1u);
        EXPECT_EQ(types[0].FormatAs<VIDEOINFOHEADER2>()->bmiHeader.biWidth, 720);
        const auto* vih = types.back().FormatAs<VIDEOINFOHEADER2>();
        ASSERT_NE(vih, nullptr);
        const long width = takes ? stream.width() : 720, height = takes ? stream.height() : 576;
        EXPECT_EQ(std::make_pair(vih->bmiHeader.biWidth, vih->bmiHeader.biHeight), std::make_pair(width, height));
        EXPECT_EQ(OutputType().FormatAs<VIDEOINFOHEADER2>()->bmiHeader.biWidth, width);
        EXPECT_TRUE(IsEqualGUID(types.back().Get().subtype, MEDIASUBTYPE_YUY2));
        if (takes) {
            EXPECT_EQ(vih->dwPictAspectRatioX * 9, vih->dwPictAspectRatioY * 11) << "11:9 from the stream";
            EXPECT_EQ(vih->AvgTimePerFrame, 400000);
        }
        ASSERT_EQ(int(frames.size()), stream.frames());
        for (const auto& frame : frames) EXPECT_EQ(frame.size(), std::size_t(width * height * 2));
    }
}

}  // namespace
