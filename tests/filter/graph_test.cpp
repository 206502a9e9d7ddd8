// The filter in real graphs of the platform's filter graph manager: a test
// source pushing corpus streams, the filter, the Sample Grabber and the Null
// Renderer.
#include <gtest/gtest.h>

#include <FilterVideoDecoder.h>

#include <dshow.h>
#include <dvdmedia.h>
#include <dispex.h>
#include <qedit.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "filter/com/bstr.h"
#include "filter/com/com_ptr.h"
#include "filter/com/interface_map.h"
#include "filter/com/object.h"
#include "filter/dxva/dxva_declarations.h"
#include "filter/dshow/media_type.h"
#include "filter/plugins/host/plugin_list.h"
#include "filter/plugins/info_layer/number_forms.h"
#include "filter/settings/filter_settings.h"
#include "registry_helpers.h"
#include "reconnecting_sink.h"
#include "test_source_filter.h"
#include "tests/support/corpus.h"
#include "tests/support/picture_md5.h"
#include "tools/common/stream_reader.h"
#include "tools/tlvplay/dxva_renderer.h"

namespace {

using tl::com::Bstr;
using tl::com::ComPtr;

constexpr CLSID kSampleGrabber = {0xc1f400a0, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};
constexpr CLSID kNullRenderer = {0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};
constexpr GUID kSubtypeLowerL264 = {0x3436326c, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// Copies of every sample the grabber sees.
class FrameCollector : public ISampleGrabberCB {
public:
    static const tl::com::InterfaceEntry* InterfaceMap() {
        static const tl::com::InterfaceEntry map[] = {tl::com::Entry<FrameCollector, ISampleGrabberCB>(), {}};
        return map;
    }
    HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample* sample) override {
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        std::lock_guard<std::mutex> hold(mutex_);
        frames_.emplace_back(data, data + sample->GetActualDataLength());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE BufferCB(double, BYTE*, long) override { return E_NOTIMPL; }

    std::vector<std::vector<BYTE>> Frames() {
        std::lock_guard<std::mutex> hold(mutex_);
        return frames_;
    }

private:
    std::mutex mutex_;
    std::vector<std::vector<BYTE>> frames_;
};

using EntryPoint = HRESULT(STDAPICALLTYPE*)();

// Registers the module beside the test for the whole suite, as an installer would.
class GraphTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        wchar_t exe[MAX_PATH];
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        std::wstring path = exe;
        path.replace(path.find_last_of(L'\\') + 1, std::wstring::npos, L"tlVideoDecoder.ax");
        module_ = LoadLibraryW(path.c_str());
        if (module_) registered_ = Call("DllRegisterServer");
    }
    static void TearDownTestSuite() {
        if (module_) Call("DllUnregisterServer");
        CoUninitialize();
    }
    static HRESULT Call(const char* name) {
        auto entry = reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
        return entry ? entry() : E_NOTIMPL;
    }

    void SetUp() override {
        ASSERT_NE(module_, nullptr) << "tlVideoDecoder.ax beside the test";
        ASSERT_EQ(registered_, S_OK);
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                   graph_.OutVoid()),
                  S_OK);
        ASSERT_EQ(CoCreateInstance(__uuidof(FilterVideoDecoder), nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                   filter_.OutVoid()),
                  S_OK);
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
        grabber_.Reset();
        collector_.Reset();
        settings_.Reset();
        filter_.Reset();
        source_.Reset();
        graph_.Reset();
    }

    ComPtr<IPin> Pin(IBaseFilter* filter, const wchar_t* id) {
        ComPtr<IPin> pin;
        EXPECT_EQ(filter->FindPin(id, pin.Out()), S_OK) << "pin " << std::string(id, id + wcslen(id));
        return pin;
    }
    ComPtr<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION wanted) {
        ComPtr<IEnumPins> pins;
        filter->EnumPins(pins.Out());
        ComPtr<IPin> pin;
        while (pins->Next(1, pin.Out(), nullptr) == S_OK) {
            PIN_DIRECTION direction;
            pin->QueryDirection(&direction);
            if (direction == wanted) return pin;
        }
        return {};
    }

    // Source -> decoder; then decoder -> grabber (restricted to `subtype` unless
    // GUID_NULL) -> null renderer. Returns the result of connecting the decoder's
    // output.
    HRESULT BuildGraph(const GUID& subtype, const tl::test::StreamInfo* stream = nullptr) {
        if (stream) source_->Pin().SetPictureSize(stream->width(), stream->height());
        HRESULT hr = graph_->ConnectDirect(&source_->Pin(), Pin(filter_.Get(), L"Video In").Get(), nullptr);
        if (FAILED(hr)) return hr;
        EXPECT_EQ(CoCreateInstance(kSampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                   grabberFilter_.OutVoid()),
                  S_OK);
        EXPECT_EQ(grabberFilter_->QueryInterface(IID_ISampleGrabber, grabber_.OutVoid()), S_OK);
        AM_MEDIA_TYPE type{};
        type.majortype = MEDIATYPE_Video;
        type.subtype = subtype;
        EXPECT_EQ(grabber_->SetMediaType(&type), S_OK);
        auto* collector = new tl::com::Object<FrameCollector>();
        collector_ = ComPtr<FrameCollector>(collector);
        EXPECT_EQ(grabber_->SetCallback(collector_.Get(), 0), S_OK);
        EXPECT_EQ(graph_->AddFilter(grabberFilter_.Get(), L"grabber"), S_OK);
        ComPtr<IBaseFilter> renderer;
        EXPECT_EQ(CoCreateInstance(kNullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, renderer.OutVoid()),
                  S_OK);
        EXPECT_EQ(graph_->AddFilter(renderer.Get(), L"renderer"), S_OK);
        hr = graph_->ConnectDirect(Pin(filter_.Get(), L"Video Out").Get(),
                                   FirstPin(grabberFilter_.Get(), PINDIR_INPUT).Get(), nullptr);
        if (FAILED(hr)) return hr;
        EXPECT_EQ(graph_->ConnectDirect(FirstPin(grabberFilter_.Get(), PINDIR_OUTPUT).Get(),
                                        FirstPin(renderer.Get(), PINDIR_INPUT).Get(), nullptr),
                  S_OK);
        EXPECT_EQ(graph_.As(&control_), S_OK);
        return hr;
    }

    tl::MediaType OutputType() {
        tl::MediaType type;
        AM_MEDIA_TYPE mt{};
        EXPECT_EQ(Pin(filter_.Get(), L"Video Out")->ConnectionMediaType(&mt), S_OK);
        type.Assign(mt);
        tl::FreeMediaTypeContents(mt);
        return type;
    }

    // Runs the graph, pushes the whole stream and stops once it has drained. A
    // program stream goes in one video PES packet per sample, as a demultiplexer
    // hands them on.
    std::vector<std::vector<BYTE>> Play(const tl::test::StreamInfo& stream, std::size_t chunk) {
        EXPECT_TRUE(SUCCEEDED(control_->Run()));
        const std::vector<std::uint8_t> bytes = tl::test::read_file_bytes(stream.streamPath());
        if (stream.programStream()) {
            tl::tools::StreamReader reader;
            std::string error;
            EXPECT_TRUE(reader.open(stream.streamPath().string(), error)) << error;
            tl::tools::StreamSample packet;
            while (reader.next(packet))
                EXPECT_EQ(source_->Pin().PushOne(packet.bytes.data(), packet.bytes.size()), S_OK);
            EXPECT_EQ(source_->Pin().Push({}, chunk), S_OK);
        } else {
            EXPECT_EQ(source_->Pin().Push(bytes, chunk), S_OK);
        }
        EXPECT_EQ(control_->Stop(), S_OK);
        return collector_->Frames();
    }

    static inline HMODULE module_ = nullptr;
    static inline HRESULT registered_ = E_FAIL;
    ComPtr<IGraphBuilder> graph_;
    ComPtr<IBaseFilter> filter_;
    ComPtr<IFilterVideoDecoder> settings_;
    ComPtr<tl::test::TestSourceFilter> source_;
    ComPtr<IBaseFilter> grabberFilter_;
    ComPtr<ISampleGrabber> grabber_;
    ComPtr<FrameCollector> collector_;
    ComPtr<IMediaControl> control_;
};

std::vector<std::string> Yv12Digests(const std::vector<std::vector<BYTE>>& frames, int width, int height) {
    std::vector<std::string> digests;
    const int pitch = width;  // 12-bit rows of a width that is a multiple of 8
    for (const std::vector<BYTE>& frame : frames) {
        const BYTE* y = frame.data();
        const BYTE* v = y + pitch * height;
        const BYTE* u = v + (pitch / 2) * (height / 2);
        digests.push_back(tl::test::planes_md5({y, pitch, width, height}, {u, pitch / 2, width / 2, height / 2},
                                               {v, pitch / 2, width / 2, height / 2}));
    }
    return digests;
}

// 4:2:2 pictures carried losslessly in YUY2 frames, split back into their planes.
std::vector<std::string> Yuy2Digests(const std::vector<std::vector<BYTE>>& frames, int width, int height) {
    std::vector<std::string> digests;
    const std::size_t pixels = std::size_t(width) * height;
    for (const std::vector<BYTE>& frame : frames) {
        if (frame.size() < 2 * pixels) return digests;
        std::vector<BYTE> y(pixels), cb(pixels / 2), cr(pixels / 2);
        for (std::size_t i = 0; i < pixels / 2; ++i) {
            y[2 * i] = frame[4 * i];
            cb[i] = frame[4 * i + 1];
            y[2 * i + 1] = frame[4 * i + 2];
            cr[i] = frame[4 * i + 3];
        }
        digests.push_back(tl::test::planes_md5({y.data(), width, width, height},
                                               {cb.data(), width / 2, width / 2, height},
                                               {cr.data(), width / 2, width / 2, height}));
    }
    return digests;
}

// Every stream of the corpus through the graph, one frame per picture, equal to its
// reference digests: 4:2:0 in YV12 frames, 4:2:2 in YUY2 frames. Sizes that these
// layouts cannot hold exactly (odd, or YV12 rows off 8 pixels) are checked for their
// frame count only; MPEG-1 is not decoded and delivers nothing.
TEST_F(GraphTest, EveryCorpusStreamMatchesItsDigests) {
    for (const tl::test::StreamInfo& stream : tl::test::list_streams()) {
        SCOPED_TRACE(stream.name);
        TearDown();
        SetUp();
        ASSERT_EQ(settings_->put_Deinterlace(DEINTERLACE_PROGRESSIVE), S_OK);
        const bool planar422 = stream.chroma() == 422;
        const bool exact = stream.width() % 8 == 0 && stream.height() % 2 == 0;
        ASSERT_EQ(BuildGraph(planar422 ? MEDIASUBTYPE_YUY2 : MEDIASUBTYPE_YV12, &stream), S_OK);
        const auto frames = Play(stream, 4096);
        if (stream.mpeg1()) {
            EXPECT_TRUE(frames.empty());
            continue;
        }
        ASSERT_EQ(int(frames.size()), stream.frames());
        if (!exact) continue;
        const auto digests = planar422 ? Yuy2Digests(frames, stream.width(), stream.height())
                                       : Yv12Digests(frames, stream.width(), stream.height());
        EXPECT_EQ(digests, tl::test::read_md5_lines(stream.md5Path()));
    }
}

TEST_F(GraphTest, Yuy2IsTheFirstChoiceAndCarriesTheDecodedLuma) {
    const tl::test::StreamInfo stream = tl::test::find_stream("prog420_cgop");
    ASSERT_EQ(BuildGraph(GUID_NULL, &stream), S_OK);
    const tl::MediaType type = OutputType();
    EXPECT_TRUE(IsEqualGUID(type.Get().subtype, MEDIASUBTYPE_YUY2));
    ASSERT_TRUE(IsEqualGUID(type.Get().formattype, FORMAT_VideoInfo2));
    const auto* vih = type.FormatAs<VIDEOINFOHEADER2>();
    ASSERT_NE(vih, nullptr);
    EXPECT_EQ(vih->bmiHeader.biWidth, stream.width());
    EXPECT_EQ(vih->bmiHeader.biHeight, stream.height());
    const auto frames = Play(stream, 1000);
    ASSERT_EQ(int(frames.size()), stream.frames());

    // The same stream through YV12, whose planes the corpus vouches for.
    TearDown();
    SetUp();
    ASSERT_EQ(BuildGraph(MEDIASUBTYPE_YV12, &stream), S_OK);
    const auto planar = Play(stream, 1000);
    ASSERT_EQ(planar.size(), frames.size());
    const std::size_t pixels = std::size_t(stream.width()) * stream.height();
    for (std::size_t f = 0; f < frames.size(); ++f) {
        ASSERT_EQ(frames[f].size(), pixels * 2);
        std::vector<BYTE> luma(pixels);
        for (std::size_t i = 0; i < pixels; ++i) luma[i] = frames[f][2 * i];
        EXPECT_TRUE(std::equal(luma.begin(), luma.end(), planar[f].begin())) << "frame " << f;
    }
}

TEST_F(GraphTest, OutputTypesFollowThePriorityLists) {
    ASSERT_EQ(graph_->ConnectDirect(&source_->Pin(), Pin(filter_.Get(), L"Video In").Get(), nullptr), S_OK);
    struct Case {
        const wchar_t* list;
        std::vector<const GUID*> subtypes;
    };
    const Case cases[] = {
        {nullptr,
         {&MEDIASUBTYPE_YUY2, &MEDIASUBTYPE_UYVY, &MEDIASUBTYPE_YV12, &MEDIASUBTYPE_RGB32, &MEDIASUBTYPE_RGB24,
          &MEDIASUBTYPE_RGB565, &MEDIASUBTYPE_RGB555}},
        {L"YV12,RGB32", {&MEDIASUBTYPE_YV12, &MEDIASUBTYPE_RGB32}},
        {L"YUY2,,bogus,yuy2, YV12", {&MEDIASUBTYPE_YUY2, &MEDIASUBTYPE_YUY2}},
    };
    for (const Case& c : cases) {
        if (c.list) {
            ASSERT_EQ(settings_->put_OutputTypesPriority(Bstr(c.list).Get()), S_OK);
        }
        ComPtr<IEnumMediaTypes> types;
        ASSERT_EQ(Pin(filter_.Get(), L"Video Out")->EnumMediaTypes(types.Out()), S_OK);
        std::vector<GUID> seen;
        AM_MEDIA_TYPE* mt = nullptr;
        while (types->Next(1, &mt, nullptr) == S_OK) {
            seen.push_back(mt->subtype);
            tl::DeleteMediaType(mt);
        }
        ASSERT_EQ(seen.size(), c.subtypes.size());
        for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_TRUE(IsEqualGUID(seen[i], *c.subtypes[i])) << i;
    }
    ASSERT_EQ(settings_->put_OutputTypesPriority(Bstr(L"nothing").Get()), S_OK);
    ComPtr<IEnumMediaTypes> none;
    EXPECT_EQ(Pin(filter_.Get(), L"Video Out")->EnumMediaTypes(none.Out()), E_INVALIDARG);
}

TEST_F(GraphTest, DenyListRefusesTheGrabberAndAllowListAdmitsIt) {
    ComPtr<IBaseFilter> grabber;
    ASSERT_EQ(CoCreateInstance(kSampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, grabber.OutVoid()), S_OK);
    ASSERT_EQ(graph_->AddFilter(grabber.Get(), L"grabber"), S_OK);
    ASSERT_EQ(graph_->ConnectDirect(&source_->Pin(), Pin(filter_.Get(), L"Video In").Get(), nullptr), S_OK);
    wchar_t id[39];
    ASSERT_EQ(StringFromGUID2(kSampleGrabber, id, 39), 39);
    const std::wstring other = L"{00000000-0000-0000-0000-000000000001}";
    struct Case {
        std::wstring allow, deny;
        HRESULT expected;
    };
    const Case cases[] = {
        {L"", id, E_FAIL},
        {other, L"", E_FAIL},
        {other + id, id, E_FAIL},
        {other.substr(0, 37), L"", S_OK},  // too short to be an entry: allows every filter
        {other + id + L"x", L"", S_OK},
    };
    const ComPtr<IPin> out = Pin(filter_.Get(), L"Video Out");
    for (const Case& c : cases) {
        ASSERT_EQ(settings_->put_OutputConnectionAllowList(Bstr(c.allow).Get()), S_OK);
        ASSERT_EQ(settings_->put_OutputConnectionDenyList(Bstr(c.deny).Get()), S_OK);
        EXPECT_EQ(graph_->ConnectDirect(out.Get(), FirstPin(grabber.Get(), PINDIR_INPUT).Get(), nullptr), c.expected);
        ComPtr<IPin> peer;
        EXPECT_EQ(out->ConnectedTo(peer.Out()), c.expected == S_OK ? S_OK : VFW_E_NOT_CONNECTED);
        if (peer) {
            ASSERT_EQ(graph_->Disconnect(out.Get()), S_OK);
        }
        if (peer) {
            ASSERT_EQ(graph_->Disconnect(peer.Get()), S_OK);
        }
    }
}

TEST_F(GraphTest, StateChangesCreateOneDecoderAndStopReleasesIt) {
    ASSERT_EQ(BuildGraph(GUID_NULL), S_OK);
    ComPtr<IDispatch> decoder;
    EXPECT_EQ(settings_->get_decoder(decoder.Out()), S_OK);
    EXPECT_EQ(decoder.Get(), nullptr);
    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE(cycle);
        ASSERT_EQ(filter_->Pause(), S_OK);
        ASSERT_EQ(settings_->get_decoder(decoder.Out()), S_OK);
        ASSERT_NE(decoder.Get(), nullptr);
        ComPtr<IDispatch> again;
        ASSERT_EQ(filter_->Pause(), S_OK);
        ASSERT_EQ(settings_->get_decoder(again.Out()), S_OK);
        EXPECT_EQ(again.Get(), decoder.Get()) << "a second Pause keeps the decoder";
        ASSERT_EQ(filter_->Run(0), S_OK);
        FILTER_STATE state;
        EXPECT_EQ(filter_->GetState(0, &state), S_OK);
        EXPECT_EQ(state, State_Running);
        ASSERT_EQ(filter_->Stop(), S_OK);
        ASSERT_EQ(filter_->Stop(), S_OK);
        ComPtr<IDispatch> none;
        EXPECT_EQ(settings_->get_decoder(none.Out()), S_OK);
        EXPECT_EQ(none.Get(), nullptr);
    }
    Bstr value;
    ComPtr<IVideoDecoderMPEG2> info;
    ASSERT_EQ(decoder.As(&info), S_OK);
    EXPECT_EQ(info->get_value(value.Out()), S_OK);
    EXPECT_EQ(value.View(), L"MPEG2 Decoder");
}

TEST_F(GraphTest, H264InputCannotLeaveStopped) {
    source_->Pin().offered.subtype = kSubtypeLowerL264;
    ASSERT_EQ(graph_->ConnectDirect(&source_->Pin(), Pin(filter_.Get(), L"Video In").Get(), nullptr), S_OK);
    EXPECT_EQ(filter_->Pause(), E_NOINTERFACE);
    FILTER_STATE state;
    EXPECT_EQ(filter_->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Paused);
    EXPECT_EQ(filter_->Stop(), S_OK);
    EXPECT_EQ(filter_->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Stopped);
}

TEST_F(GraphTest, MapperFindsTheFilterForMpeg2VideoAtItsMerit) {
    ComPtr<IFilterMapper2> mapper;
    ASSERT_EQ(CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                               mapper.OutVoid()),
              S_OK);
    auto found = [&](DWORD merit, const GUID& major) {
        const GUID types[2] = {major, MEDIASUBTYPE_MPEG2_VIDEO};
        ComPtr<IEnumMoniker> monikers;
        EXPECT_EQ(mapper->EnumMatchingFilters(monikers.Out(), 0, TRUE, merit, TRUE, 1, types, nullptr, nullptr,
                                              FALSE, FALSE, 0, nullptr, nullptr, nullptr),
                  S_OK);
        ComPtr<IMoniker> moniker;
        while (monikers && monikers->Next(1, moniker.Out(), nullptr) == S_OK) {
            ComPtr<IPropertyBag> bag;
            if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.OutVoid()))) continue;
            VARIANT clsid;
            VariantInit(&clsid);
            const bool ours = SUCCEEDED(bag->Read(L"CLSID", &clsid, nullptr)) && clsid.vt == VT_BSTR &&
                              _wcsicmp(clsid.bstrVal, L"{1f350c86-c761-4193-9f2b-8cfdf51c2998}") == 0;
            VariantClear(&clsid);
            if (ours) return true;
        }
        return false;
    };
    // The mapper lists a filter only through categories of at least the asked
    // merit, and the DirectShow filters category has MERIT_NORMAL; the filter's
    // own merit is in its FilterData (version, then merit).
    EXPECT_TRUE(found(MERIT_NORMAL, MEDIATYPE_Video));
    EXPECT_TRUE(found(MERIT_NORMAL, MEDIATYPE_MPEG2_PES));
    EXPECT_TRUE(found(MERIT_NORMAL, MEDIATYPE_DVD_ENCRYPTED_PACK));
    EXPECT_FALSE(found(MERIT_NORMAL, MEDIATYPE_Audio));
    const auto data = tl::test::ReadRaw(
        HKEY_CLASSES_ROOT,
        L"CLSID\\{083863F1-70DE-11d0-BD40-00A0C911CE86}\\Instance\\{1F350C86-C761-4193-9F2B-8CFDF51C2998}",
        L"FilterData");
    ASSERT_TRUE(data.has_value());
    ASSERT_GE(data->data.size(), 8u);
    EXPECT_EQ(data->data[0], 2) << "REGFILTER2 version 2";
    DWORD merit = 0;
    std::memcpy(&merit, data->data.data() + 4, sizeof(merit));
    EXPECT_EQ(merit, 0x800200u) << "MERIT_PREFERRED + 0x200";
    EXPECT_EQ(tl::test::ReadRaw(HKEY_CLASSES_ROOT,
                                L"CLSID\\{083863F1-70DE-11d0-BD40-00A0C911CE86}\\Instance\\"
                                L"{1F350C86-C761-4193-9F2B-8CFDF51C2998}\\Capabilities",
                                L"{374ac4df-7c98-4257-b13d-36087dbee458}"),
              tl::test::Dword(1));
}

}  // namespace

namespace {

TEST_F(GraphTest, FilterInterfacesAndIdentity) {
    struct Case {
        const IID* iid;
        HRESULT expected;
    };
    const Case cases[] = {
        {&IID_IBaseFilter, S_OK},          {&IID_IMediaFilter, S_OK},         {&IID_IPersist, S_OK},
        {&IID_IDispatch, S_OK},            {&__uuidof(IFilterVideoDecoder), S_OK},
        {&IID_ISupportErrorInfo, S_OK},    {&IID_IConnectionPointContainer, S_OK},
        {&IID_IProvideClassInfo, S_OK},    {&IID_IProvideClassInfo2, S_OK},  {&IID_IServiceProvider, S_OK},
        {&__uuidof(IDispatchEx), S_OK},         {&IID_ISpecifyPropertyPages, S_OK},
        {&IID_IAMVideoProcAmp, S_OK},      {&IID_IPin, E_NOINTERFACE},        {&IID_IMediaSeeking, E_NOINTERFACE},
        {&__uuidof(IVideoDecoderMPEG2), E_NOINTERFACE},
    };
    for (const Case& c : cases) {
        ComPtr<IUnknown> itf;
        EXPECT_EQ(filter_->QueryInterface(*c.iid, itf.OutVoid()), c.expected);
    }
    CLSID clsid{};
    EXPECT_EQ(filter_->GetClassID(nullptr), E_FAIL);
    EXPECT_EQ(filter_->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, __uuidof(FilterVideoDecoder)));
    EXPECT_EQ(settings_->Sleep(0), E_INVALIDARG);

    FILTER_INFO info{};
    ASSERT_EQ(filter_->QueryFilterInfo(&info), S_OK);
    EXPECT_STREQ(info.achName, L"decoder");
    EXPECT_EQ(info.pGraph != nullptr, true);
    if (info.pGraph) info.pGraph->Release();

    ComPtr<IServiceProvider> services;
    ASSERT_EQ(filter_.As(&services), S_OK);
    ComPtr<IFilterVideoDecoder> served;
    EXPECT_EQ(services->QueryService(__uuidof(IFilterVideoDecoder), __uuidof(IFilterVideoDecoder), served.OutVoid()),
              S_OK);
    EXPECT_EQ(served.Get(), settings_.Get());
    EXPECT_EQ(services->QueryService(IID_IBaseFilter, IID_IBaseFilter, served.OutVoid()), E_NOINTERFACE);

    ComPtr<IAMVideoProcAmp> procAmp;
    ASSERT_EQ(filter_.As(&procAmp), S_OK);
    LONG value = 0, flags = 0;
    EXPECT_EQ(procAmp->Get(0, &value, &flags), HRESULT(0x80070490)) << "no decoder while stopped";

    ComPtr<ISupportErrorInfo> errors;
    ASSERT_EQ(filter_.As(&errors), S_OK);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(__uuidof(IFilterVideoDecoder)), S_OK);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IID_IBaseFilter), S_FALSE);

    ComPtr<IProvideClassInfo2> classInfo;
    ASSERT_EQ(filter_.As(&classInfo), S_OK);
    GUID source{};
    EXPECT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_TRUE(IsEqualGUID(source, __uuidof(_IFilterVideoDecoderEvents)));
    ComPtr<ITypeInfo> type;
    ASSERT_EQ(classInfo->GetClassInfo(type.Out()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(type->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    EXPECT_TRUE(IsEqualGUID(attr->guid, __uuidof(FilterVideoDecoder)));
    type->ReleaseTypeAttr(attr);

    Bstr version;
    ASSERT_EQ(settings_->get_Version(version.Out()), S_OK);
    EXPECT_EQ(version.View().substr(0, 1), L"v");
    EXPECT_NE(version.View().find(L", Release(Unicode), assembled on Oct 12 2006"), std::wstring_view::npos);
}

TEST_F(GraphTest, PinsByNameAndDirection) {
    ComPtr<IPin> pin;
    EXPECT_EQ(filter_->FindPin(L"Video In", pin.Out()), S_OK);
    EXPECT_EQ(filter_->FindPin(L"video in", pin.Out()), VFW_E_NOT_FOUND);
    EXPECT_EQ(pin.Get(), nullptr);
    ComPtr<IEnumPins> pins;
    ASSERT_EQ(filter_->EnumPins(pins.Out()), S_OK);
    IPin* both[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(pins->Next(3, both, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    const wchar_t* names[2] = {L"Video In", L"Video Out"};
    const PIN_DIRECTION directions[2] = {PINDIR_INPUT, PINDIR_OUTPUT};
    for (int i = 0; i < 2; ++i) {
        PIN_INFO info{};
        ASSERT_EQ(both[i]->QueryPinInfo(&info), S_OK);
        EXPECT_STREQ(info.achName, names[i]);
        EXPECT_EQ(info.dir, directions[i]);
        EXPECT_EQ(info.pFilter, filter_.Get());
        info.pFilter->Release();
        AM_MEDIA_TYPE mt{};
        EXPECT_EQ(both[i]->ConnectionMediaType(&mt), VFW_E_NOT_CONNECTED);
        EXPECT_TRUE(mt.bFixedSizeSamples);
        EXPECT_EQ(mt.lSampleSize, 1u);
        both[i]->Release();
    }
    const ComPtr<IPin> out = Pin(filter_.Get(), L"Video Out");
    EXPECT_EQ(out->EndOfStream(), E_UNEXPECTED);
    EXPECT_EQ(out->BeginFlush(), E_UNEXPECTED);
    ComPtr<IMediaSeeking> seeking;
    EXPECT_EQ(out->QueryInterface(IID_IMediaSeeking, seeking.OutVoid()), S_OK) << "from the seeking pass-through";
    ComPtr<IQualityControl> quality;
    ASSERT_EQ(out->QueryInterface(IID_IQualityControl, quality.OutVoid()), S_OK);
    Quality late{Famine, 1000, 250000, 0};
    EXPECT_EQ(quality->Notify(filter_.Get(), late), S_OK);
    hyper lateness = 0;
    EXPECT_EQ(settings_->get_RendererLateness(&lateness), S_OK);
    EXPECT_EQ(lateness, 250000);
    EXPECT_EQ(quality->SetSink(nullptr), E_NOTIMPL);
}

TEST_F(GraphTest, InputPinTypesSamplesAndProperties) {
    const ComPtr<IPin> in = Pin(filter_.Get(), L"Video In");
    AM_MEDIA_TYPE mt{};
    struct Case {
        GUID major, subtype;
        HRESULT expected;
    };
    const Case cases[] = {
        {MEDIATYPE_Video, MEDIASUBTYPE_MPEG2_VIDEO, S_OK},
        {MEDIATYPE_MPEG2_PES, MEDIASUBTYPE_MPEG2_VIDEO, S_OK},
        {MEDIATYPE_DVD_ENCRYPTED_PACK, GUID_NULL, S_OK},
        {GUID_NULL, MEDIASUBTYPE_MPEG2_VIDEO, S_OK},
        {MEDIATYPE_Audio, MEDIASUBTYPE_MPEG2_VIDEO, S_FALSE},
        {MEDIATYPE_Video, MEDIASUBTYPE_YUY2, S_FALSE},
    };
    for (const Case& c : cases) {
        mt.majortype = c.major;
        mt.subtype = c.subtype;
        EXPECT_EQ(in->QueryAccept(&mt), c.expected);
    }
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(in->EnumMediaTypes(types.Out()), S_OK);
    AM_MEDIA_TYPE* none = nullptr;
    EXPECT_EQ(types->Next(1, &none, nullptr), S_FALSE);

    ComPtr<IMemInputPin> memory;
    ASSERT_EQ(in.As(&memory), S_OK);
    EXPECT_EQ(memory->ReceiveCanBlock(), S_FALSE);
    ComPtr<IMemAllocator> allocator;
    ASSERT_EQ(memory->GetAllocator(allocator.Out()), S_OK);
    ALLOCATOR_PROPERTIES wanted{2, 1024, 1, 0}, granted{};
    ASSERT_EQ(allocator->SetProperties(&wanted, &granted), S_OK);
    ASSERT_EQ(allocator->Commit(), S_OK);
    ComPtr<IMediaSample> sample;
    ASSERT_EQ(allocator->GetBuffer(sample.Out(), nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(memory->Receive(sample.Get()), VFW_E_WRONG_STATE) << "stopped";
    EXPECT_EQ(memory->Receive(nullptr), E_POINTER);
    ASSERT_EQ(in->BeginFlush(), S_OK);
    EXPECT_EQ(memory->Receive(sample.Get()), S_FALSE) << "flushing";
    IMediaSample* two[2] = {sample.Get(), sample.Get()};
    long processed = -1;
    EXPECT_EQ(memory->ReceiveMultiple(two, 2, &processed), S_FALSE);
    EXPECT_EQ(processed, 0);
    ASSERT_EQ(in->EndFlush(), S_OK);
    sample.Reset();
    allocator->Decommit();

    ComPtr<IKsPropertySet> properties;
    ASSERT_EQ(in.As(&properties), S_OK);
    LONG rate = 0;
    DWORD returned = 0;
    EXPECT_EQ(properties->Get(AM_KSPROPSETID_TSRateChange, 3, nullptr, 0, &rate, sizeof(rate), &returned), S_OK);
    EXPECT_EQ(rate, 40000);
    EXPECT_EQ(returned, sizeof(rate));
    EXPECT_EQ(properties->Get(AM_KSPROPSETID_TSRateChange, 1, nullptr, 0, &rate, sizeof(rate), &returned),
              E_NOTIMPL);
    EXPECT_EQ(properties->Get(AM_KSPROPSETID_TSRateChange, 9, nullptr, 0, &rate, sizeof(rate), &returned),
              HRESULT(0x80070490));
    EXPECT_EQ(properties->Set(AM_KSPROPSETID_TSRateChange, 1, nullptr, 0, &rate, sizeof(rate)), E_NOTIMPL);
    DWORD support = 0;
    EXPECT_EQ(properties->QuerySupported(AM_KSPROPSETID_TSRateChange, 3, &support), E_NOTIMPL);
}

}  // namespace

namespace {

TEST_F(GraphTest, ProcAmpAnswersForRgbOutputThroughFilterAndDecoder) {
    struct Case {
        const GUID* subtype;
        HRESULT expected;
    };
    const Case cases[] = {{&MEDIASUBTYPE_RGB32, S_OK}, {&MEDIASUBTYPE_YUY2, HRESULT(0x80070490)}};
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        const tl::test::StreamInfo stream = tl::test::find_stream("prog420_cgop");
        ASSERT_EQ(BuildGraph(*c.subtype, &stream), S_OK);
        ASSERT_EQ(filter_->Pause(), S_OK);
        ComPtr<IAMVideoProcAmp> filterProcAmp;
        ASSERT_EQ(filter_.As(&filterProcAmp), S_OK);
        LONG min = 0, max = 0, step = 0, def = 0, caps = 0;
        EXPECT_EQ(filterProcAmp->GetRange(VideoProcAmp_Brightness, &min, &max, &step, &def, &caps), c.expected);
        EXPECT_EQ(filterProcAmp->Set(VideoProcAmp_Contrast, 40, VideoProcAmp_Flags_Manual), c.expected);
        ComPtr<IDispatch> decoder;
        ASSERT_EQ(settings_->get_decoder(decoder.Out()), S_OK);
        ComPtr<IAMVideoProcAmp> decoderProcAmp;
        ASSERT_EQ(decoder.As(&decoderProcAmp), S_OK);
        LONG value = 0, flags = 0;
        EXPECT_EQ(decoderProcAmp->Get(VideoProcAmp_Contrast, &value, &flags), c.expected);
        if (c.expected == S_OK) {
            EXPECT_EQ(value, 40);
            EXPECT_LT(min, 0);
            EXPECT_GT(max, 0);
        }
        ASSERT_EQ(filter_->Stop(), S_OK);
    }
}

TEST_F(GraphTest, DecoderReportsTheStreamItDecoded) {
    const tl::test::StreamInfo stream = tl::test::find_stream("prog420_cgop");
    ASSERT_EQ(BuildGraph(GUID_NULL, &stream), S_OK);
    ASSERT_EQ(filter_->Pause(), S_OK);
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(settings_->get_decoder(dispatch.Out()), S_OK);
    ComPtr<IVideoDecoderMPEG2> decoder;
    ASSERT_EQ(dispatch.As(&decoder), S_OK);
    LONG value = -1;
    double rate = -1;
    tagCHROMAFORMAT chroma = CHROMA_444;
    EXPECT_EQ(decoder->get_SizeX(&value), S_OK);
    EXPECT_EQ(value, 0) << "before any sequence header";
    EXPECT_EQ(decoder->get_ColourPrimaries(&value), S_OK);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(decoder->get_FrameRate(&rate), S_OK);
    EXPECT_EQ(rate, 0.0);
    EXPECT_EQ(decoder->get_ChromaFormat(&chroma), S_OK);
    EXPECT_EQ(chroma, CHROMA_UNKNOWN);
    EXPECT_EQ(decoder->get_SizeX(nullptr), E_POINTER);

    ASSERT_EQ(filter_->Run(0), S_OK);
    const std::vector<std::uint8_t> bytes = tl::test::read_file_bytes(stream.streamPath());
    ASSERT_EQ(source_->Pin().Push(bytes, 8192), S_OK);
    EXPECT_EQ(decoder->get_SizeX(&value), S_OK);
    EXPECT_EQ(value, stream.width());
    EXPECT_EQ(decoder->get_SizeY(&value), S_OK);
    EXPECT_EQ(value, stream.height());
    EXPECT_EQ(decoder->get_FrameNum(&value), S_OK);
    EXPECT_EQ(value, stream.frames());
    EXPECT_EQ(decoder->get_FrameRate(&rate), S_OK);
    EXPECT_DOUBLE_EQ(rate, 25025.0 / 1001.0);
    EXPECT_EQ(decoder->get_ChromaFormat(&chroma), S_OK);
    EXPECT_EQ(chroma, CHROMA_420);
    hyper bytesRead = 0;
    EXPECT_EQ(decoder->get_TotalBytesRead(&bytesRead), S_OK);
    EXPECT_EQ(bytesRead, static_cast<hyper>(bytes.size()));
    Bstr gop;
    EXPECT_EQ(decoder->get_GOPStructure(gop.Out()), S_OK);
    EXPECT_FALSE(gop.View().empty());
    EXPECT_EQ(decoder->get_Errors(&value), S_OK);
    EXPECT_EQ(value, 0);
    LONG offsets = -1;
    EXPECT_EQ(decoder->GetFrameCenterOffsets(&offsets, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(offsets, 0);
    ASSERT_EQ(filter_->Stop(), S_OK);
    EXPECT_EQ(decoder->get_SizeX(&value), S_OK) << "the object outlives the filter's use of it";
}

}  // namespace

namespace {

ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

TEST_F(GraphTest, ReferenceCountsOfAStandaloneFilter) {
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(CoCreateInstance(__uuidof(FilterVideoDecoder), nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                               filter.OutVoid()),
              S_OK);
    EXPECT_EQ(RefCount(filter.Get()), 1u) << "the seeking pass-through holds no reference to the filter";
    {
        ComPtr<IPin> in, out;
        ASSERT_EQ(filter->FindPin(L"Video In", in.Out()), S_OK);
        ASSERT_EQ(filter->FindPin(L"Video Out", out.Out()), S_OK);
        EXPECT_EQ(RefCount(filter.Get()), 3u) << "pins count on the filter";
        ComPtr<IMediaSeeking> seeking;
        ASSERT_EQ(out->QueryInterface(IID_IMediaSeeking, seeking.OutVoid()), S_OK);
        EXPECT_EQ(RefCount(filter.Get()), 4u) << "the aggregated seeking object counts on the filter";
        ComPtr<IUnknown> identity;
        ASSERT_EQ(seeking->QueryInterface(IID_IUnknown, identity.OutVoid()), S_OK);
        ComPtr<IUnknown> filterIdentity;
        ASSERT_EQ(filter->QueryInterface(IID_IUnknown, filterIdentity.OutVoid()), S_OK);
        EXPECT_EQ(identity.Get(), filterIdentity.Get());
    }
    EXPECT_EQ(RefCount(filter.Get()), 1u);
    FILTER_INFO info{};
    ASSERT_EQ(filter->QueryFilterInfo(&info), S_OK);
    EXPECT_STREQ(info.achName, L"");
    EXPECT_EQ(info.pGraph, nullptr);
    EXPECT_EQ(filter->Release(), 0u);
    filter.Detach();
}

TEST_F(GraphTest, RefusedRenegotiationKeepsTheConnectedTypeAndDelivers) {
    // Without a format from upstream the filter offers the default size; the
    // grabber refuses the new size at the first sequence header, so pictures
    // go on arriving in the type first agreed.
    const tl::test::StreamInfo stream = tl::test::find_stream("prog420_cgop");
    ASSERT_EQ(BuildGraph(MEDIASUBTYPE_YUY2), S_OK);
    const auto* before = OutputType().FormatAs<VIDEOINFOHEADER2>();
    ASSERT_NE(before, nullptr);
    const auto frames = Play(stream, 4096);
    ASSERT_EQ(int(frames.size()), stream.frames());
    const tl::MediaType after = OutputType();
    const auto* vih = after.FormatAs<VIDEOINFOHEADER2>();
    ASSERT_NE(vih, nullptr);
    EXPECT_EQ(vih->bmiHeader.biWidth, 720);
    EXPECT_EQ(vih->bmiHeader.biHeight, 576);
    EXPECT_TRUE(IsEqualGUID(after.Get().subtype, MEDIASUBTYPE_YUY2));
    for (const auto& frame : frames) EXPECT_EQ(frame.size(), 720u * 576 * 2);
}

}  // namespace

namespace {

TEST_F(GraphTest, StopWithQueuedDataThenPlayAgain) {
    const tl::test::StreamInfo stream = tl::test::find_stream("prog420_cgop");
    ASSERT_EQ(BuildGraph(MEDIASUBTYPE_YV12, &stream), S_OK);
    const std::vector<std::uint8_t> bytes = tl::test::read_file_bytes(stream.streamPath());
    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE(cycle);
        ASSERT_TRUE(SUCCEEDED(control_->Run()));
        ASSERT_EQ(source_->Pin().PushOne(bytes.data(), bytes.size() / 2), S_OK);
        EXPECT_EQ(control_->Stop(), S_OK);
    }
    const std::size_t partial = collector_->Frames().size();
    EXPECT_LT(partial, std::size_t(3 * stream.frames()));
    const auto frames = Play(stream, 4096);
    ASSERT_EQ(frames.size(), partial + std::size_t(stream.frames()));
    const std::vector<std::vector<BYTE>> last(frames.end() - stream.frames(), frames.end());
    EXPECT_EQ(Yv12Digests(last, stream.width(), stream.height()), tl::test::read_md5_lines(stream.md5Path()));
}

TEST_F(GraphTest, FlushDropsWhatWasQueuedAndDecodingResumes) {
    const tl::test::StreamInfo stream = tl::test::find_stream("prog420_cgop");
    ASSERT_EQ(BuildGraph(MEDIASUBTYPE_YV12, &stream), S_OK);
    const std::vector<std::uint8_t> bytes = tl::test::read_file_bytes(stream.streamPath());
    ASSERT_TRUE(SUCCEEDED(control_->Run()));
    ASSERT_EQ(source_->Pin().PushOne(bytes.data(), bytes.size() / 3), S_OK);
    const ComPtr<IPin> in = Pin(filter_.Get(), L"Video In");
    ASSERT_EQ(in->BeginFlush(), S_OK);
    EXPECT_EQ(source_->Pin().PushOne(bytes.data(), 4096), S_FALSE) << "refused while flushing";
    ASSERT_EQ(in->EndFlush(), S_OK);
    const std::size_t before = collector_->Frames().size();
    ASSERT_EQ(source_->Pin().Push(bytes, 4096), S_OK);
    const auto frames = collector_->Frames();
    EXPECT_EQ(control_->Stop(), S_OK);
    ASSERT_EQ(frames.size(), before + std::size_t(stream.frames()));
    const std::vector<std::vector<BYTE>> last(frames.end() - stream.frames(), frames.end());
    EXPECT_EQ(Yv12Digests(last, stream.width(), stream.height()), tl::test::read_md5_lines(stream.md5Path()));
}

// A sink for the event interface, which has no members.
class EventSink : public IDispatch {
public:
    static const tl::com::InterfaceEntry* InterfaceMap() {
        static const tl::com::InterfaceEntry map[] = {
            tl::com::Entry<EventSink, IDispatch>(),
            tl::com::Entry<EventSink, IDispatch>(__uuidof(_IFilterVideoDecoderEvents)),
            {},
        };
        return map;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
};

TEST_F(GraphTest, EventConnectionPointKeepsAdvisedSinks) {
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(filter_.As(&container), S_OK);
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IID_IPropertyNotifySink, point.Out()), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(container->FindConnectionPoint(__uuidof(_IFilterVideoDecoderEvents), point.Out()), S_OK);
    IID iid{};
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_TRUE(IsEqualIID(iid, __uuidof(_IFilterVideoDecoderEvents)));
    ComPtr<IConnectionPointContainer> back;
    EXPECT_EQ(point->GetConnectionPointContainer(back.Out()), S_OK);
    EXPECT_EQ(back.Get(), container.Get());

    ComPtr<EventSink> sink(new tl::com::Object<EventSink>());
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(sink.Get(), &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    EXPECT_EQ(RefCount(sink.Get()), 2u) << "the connection point keeps the sink";

    // The container lists its one point; the point lists the advised sink.
    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(container->EnumConnectionPoints(points.Out()), S_OK);
    IConnectionPoint* listed[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(points->Next(2, listed, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(listed[0], point.Get());
    listed[0]->Release();
    ComPtr<IEnumConnections> connections;
    ASSERT_EQ(point->EnumConnections(connections.Out()), S_OK);
    CONNECTDATA data{};
    ASSERT_EQ(connections->Next(1, &data, nullptr), S_OK);
    EXPECT_EQ(data.dwCookie, cookie);
    EXPECT_EQ(RefCount(sink.Get()), 4u) << "the snapshot and the listed connection hold the sink";
    data.pUnk->Release();
    EXPECT_EQ(connections->Next(1, &data, nullptr), S_FALSE);
    connections = nullptr;
    EXPECT_EQ(RefCount(sink.Get()), 2u);

    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(RefCount(sink.Get()), 1u);
    EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
    ComPtr<IUnknown> stranger;
    ASSERT_EQ(filter_->QueryInterface(IID_IUnknown, stranger.OutVoid()), S_OK);
    EXPECT_EQ(point->Advise(stranger.Get(), &cookie), CONNECT_E_CANNOTCONNECT);
}

TEST_F(GraphTest, SettingsThroughAutomation) {
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(filter_.As(&dispatch), S_OK);
    struct Case {
        const wchar_t* name;
        DISPID id;
    };
    const Case cases[] = {{L"Version", 0x60020000}, {L"Deinterlace", 0x60020004}, {L"DXVA", 0x6002000C},
                          {L"SaveDefaults", 0x6002002B}, {L"decoder", 0x60020028}};
    for (const Case& c : cases) {
        LPOLESTR name = const_cast<LPOLESTR>(c.name);
        DISPID id = 0;
        EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
        EXPECT_EQ(id, c.id);
    }
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = DEINTERLACE_SOFTWARE_BOB;
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &put, 1, 1};
    ASSERT_EQ(dispatch->Invoke(0x60020004, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                               nullptr, nullptr),
              S_OK);
    tagDEINTERLACE mode = DEINTERLACE_AUTO;
    EXPECT_EQ(settings_->get_Deinterlace(&mode), S_OK);
    EXPECT_EQ(mode, DEINTERLACE_SOFTWARE_BOB);

    VARIANT_BOOL flag = VARIANT_FALSE;
    ASSERT_EQ(settings_->put_DXVA(VARIANT_TRUE), S_OK);
    EXPECT_EQ(settings_->get_DXVA(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE);
    ASSERT_EQ(settings_->put_DXVA(VARIANT_BOOL(1)), S_OK) << "only VARIANT_TRUE is true";
    EXPECT_EQ(settings_->get_DXVA(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_FALSE);
    EXPECT_EQ(settings_->get_DXVA(nullptr), E_POINTER);
    unsigned int tolerance = 0;
    ASSERT_EQ(settings_->put_FrameSkippingTolerance(40), S_OK);
    EXPECT_EQ(settings_->get_FrameSkippingTolerance(&tolerance), S_OK);
    EXPECT_EQ(tolerance, 40u);
    ComPtr<ILayer> layer;
    EXPECT_EQ(settings_->get_TopLayer(layer.Out()), S_OK) << "a filter in a graph has its top layer";
    EXPECT_NE(layer.Get(), nullptr);
}

// Layers added to the top layer before the graph runs (text on a half-opaque
// box, an image file, the same image from the module's resources) change every
// grabbed frame inside their viewports and nothing outside them.
TEST_F(GraphTest, LayersChangeFramesOnlyInsideTheirViewports) {
    constexpr RECT kText{40, 24, 200, 72};
    constexpr RECT kFile{220, 24, 268, 48};      // the opaque 48 x 24 logo at its own size
    constexpr RECT kResource{40, 200, 88, 224};
    constexpr int kResourceId = 201;
    const std::filesystem::path file = tl::test::source_dir() / "resources" / "images" / "layer_logo.png";
    struct Case {
        const GUID* subtype;
        int bytesPerPixel;
    };
    const tl::test::StreamInfo stream = tl::test::find_stream("prog420_cgop");
    for (const Case c : {Case{&MEDIASUBTYPE_YUY2, 2}, Case{&MEDIASUBTYPE_RGB32, 4}}) {
        SCOPED_TRACE(c.bytesPerPixel == 2 ? "YUY2" : "RGB32");
        TearDown();
        SetUp();
        ASSERT_EQ(BuildGraph(*c.subtype, &stream), S_OK);
        const auto plain = Play(stream, 4096);
        TearDown();
        SetUp();
        ASSERT_EQ(BuildGraph(*c.subtype, &stream), S_OK);
        ComPtr<ILayer> top, text, image, logo;
        ASSERT_EQ(settings_->get_TopLayer(top.Out()), S_OK);
        ComPtr<ILayersCollection> children;
        ASSERT_EQ(top->get_layers(children.Out()), S_OK);
        for (ComPtr<ILayer>* layer : {&text, &image, &logo}) ASSERT_EQ(settings_->CreateLayer(layer->Out()), S_OK);
        ASSERT_EQ(text->SetViewPort(kText.left, kText.top, kText.right, kText.bottom), S_OK);
        ASSERT_EQ(text->put_BackColor(0xC0203040), S_OK);
        ASSERT_EQ(text->put_Text(Bstr(L"Tarvello\nlayers").Get()), S_OK);
        ASSERT_EQ(image->MoveToXY(kFile.left, kFile.top), S_OK);
        ASSERT_EQ(image->Load(Bstr(file.wstring()).Get()), S_OK);
        ASSERT_EQ(logo->MoveToXY(kResource.left, kResource.top), S_OK);
        EXPECT_EQ(logo->LoadFromResource(Bstr(L"PNG").Get(), kResourceId + 1), E_FAIL) << "no such resource";
        ASSERT_EQ(logo->LoadFromResource(Bstr(L"PNG").Get(), kResourceId), S_OK);
        LONG cx = 0, cy = 0;
        EXPECT_EQ(image->get_cx(&cx), S_OK);
        EXPECT_EQ(logo->get_cy(&cy), S_OK);
        EXPECT_EQ(cx, kFile.right - kFile.left) << "a loaded image takes its own size";
        EXPECT_EQ(cy, kResource.bottom - kResource.top);
        int n = 0;
        for (ILayer* layer : {text.Get(), image.Get(), logo.Get()}) {
            ASSERT_EQ(layer->put_visible(VARIANT_TRUE), S_OK);
            ASSERT_EQ(children->Add(Bstr(L"layer" + std::to_wstring(n++)).Get(), layer, nullptr), S_OK);
        }
        const bool bottomUp = c.bytesPerPixel == 4 && OutputType().FormatAs<VIDEOINFOHEADER2>()->bmiHeader.biHeight > 0;
        const auto layered = Play(stream, 4096);
        ASSERT_EQ(layered.size(), plain.size());
        ASSERT_FALSE(plain.empty());
        const int pitch = stream.width() * c.bytesPerPixel, rows = stream.height();
        const RECT viewports[] = {kText, kFile, kResource};
        for (std::size_t f = 0; f < plain.size(); ++f) {
            ASSERT_EQ(layered[f].size(), plain[f].size());
            int changedOutside = 0, changedInside[3] = {0, 0, 0};
            for (std::size_t i = 0; i < std::size_t(pitch) * rows; i += std::size_t(c.bytesPerPixel)) {
                const int x = int(i % std::size_t(pitch)) / c.bytesPerPixel;
                const int row = int(i / std::size_t(pitch));
                const int y = bottomUp ? rows - 1 - row : row;
                int* counter = &changedOutside;
                for (int v = 0; v < 3; ++v) {
                    const RECT& r = viewports[v];
                    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) counter = &changedInside[v];
                }
                *counter += !std::equal(&plain[f][i], &plain[f][i] + c.bytesPerPixel, &layered[f][i]);
            }
            EXPECT_EQ(changedOutside, 0) << "frame " << f;
            for (int v = 0; v < 3; ++v) {
                const RECT& r = viewports[v];
                EXPECT_GT(changedInside[v], (r.right - r.left) * (r.bottom - r.top) * 9 / 10)
                    << "frame " << f << " layer " << v;
            }
        }
    }
}

// The information overlay switched on for one test, with a short period and a
// viewport of the test's; switched off again afterwards.
class InfoLayerEnabled {
public:
    explicit InfoLayerEnabled(const RECT& viewport) {
        Write(L"bPluginEnabled", 1);
        Write(L"dwRefreshTimeout", 100);
        Write(L"dwViewPortLeft", viewport.left);
        Write(L"dwViewPortTop", viewport.top);
        Write(L"dwViewPortRight", viewport.right);
        Write(L"dwViewPortBottom", viewport.bottom);
    }
    ~InfoLayerEnabled() { Write(L"bPluginEnabled", 0); }
    InfoLayerEnabled(const InfoLayerEnabled&) = delete;
    InfoLayerEnabled& operator=(const InfoLayerEnabled&) = delete;

private:
    static void Write(const wchar_t* name, std::uint32_t value) {
        tl::test::WriteRaw(HKEY_CURRENT_USER, std::wstring(tl::kPluginsKeyPath) + L"\\InfoLayer", name,
                           tl::test::Dword(value));
    }
};

// The text of the top layer's child "InfoLayer"; false while there is none.
bool InfoLayerText(IFilterVideoDecoder* filter, std::wstring* text) {
    ComPtr<ILayer> top, layer;
    ComPtr<ILayersCollection> children;
    VARIANT index, item;
    VariantInit(&item);
    index.vt = VT_BSTR;
    Bstr name(L"InfoLayer");
    index.bstrVal = name.Get();
    if (FAILED(filter->get_TopLayer(top.Out())) || FAILED(top->get_layers(children.Out())) ||
        children->item(index, &item) != S_OK || item.vt != VT_DISPATCH ||
        FAILED(item.pdispVal->QueryInterface(__uuidof(ILayer), layer.OutVoid()))) {
        VariantClear(&item);
        return false;
    }
    VariantClear(&item);
    Bstr value;
    if (FAILED(layer->get_Text(value.Out()))) return false;
    *text = tl::com::ToString(value.Get());
    return true;
}

// Splits at "\r\n"; a missing final line break leaves a last line of its own.
std::vector<std::wstring> ReportLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// With the information overlay enabled, its layer appears under its name once
// the filter is in a graph; after a corpus stream played (the graph still
// running, the data rate settled over two quiet windows) its text is the report
// of that stream; grabbed frames changed inside its viewport and nowhere else.
TEST_F(GraphTest, InfoLayerReportsThePlayedStreamInsideItsViewport) {
    constexpr RECT kViewport{8, 8, 340, 232};
    const tl::test::StreamInfo stream = tl::test::find_stream("prog420_cgop");
    ASSERT_EQ(BuildGraph(MEDIASUBTYPE_YUY2, &stream), S_OK);
    const auto plain = Play(stream, 4096);
    const std::vector<std::uint8_t> bytes = tl::test::read_file_bytes(stream.streamPath());
    const std::vector<std::wstring> expected = {
        L"Video In: Type:{MPEG2_VIDEO}, ConnectedTo:{source}",
        L"Video Out: Type:{YUY2}, ConnectedTo:{grabber}",
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

    InfoLayerEnabled enabled(kViewport);
    TearDown();
    SetUp();
    ASSERT_EQ(BuildGraph(MEDIASUBTYPE_YUY2, &stream), S_OK);
    std::wstring text;
    for (int waited = 0; !InfoLayerText(settings_.Get(), &text) && waited < 5000; waited += 50) Sleep(50);
    ASSERT_TRUE(InfoLayerText(settings_.Get(), &text)) << "the layer is in place before the graph runs";
    ASSERT_TRUE(SUCCEEDED(control_->Run()));
    ASSERT_EQ(source_->Pin().Push(bytes, 4096), S_OK);
    for (int waited = 0; ReportLines(text) != expected && waited < 15000; waited += 100) {
        Sleep(100);
        InfoLayerText(settings_.Get(), &text);
    }
    const std::vector<std::wstring> lines = ReportLines(text);
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(i < lines.size() ? lines[i] : L"(missing)", expected[i]) << "line " << i;
    EXPECT_EQ(lines.size(), expected.size());
    EXPECT_EQ(text.substr(text.size() - 2), L"\r\n");
    EXPECT_EQ(control_->Stop(), S_OK);

    const auto layered = collector_->Frames();
    ASSERT_EQ(layered.size(), plain.size());
    const int pitch = stream.width() * 2;
    for (std::size_t f = 0; f < plain.size(); ++f) {
        ASSERT_EQ(layered[f].size(), plain[f].size());
        int inside = 0, outside = 0;
        for (int y = 0; y < stream.height(); ++y) {
            for (int x = 0; x < stream.width(); ++x) {
                const std::size_t i = std::size_t(y) * pitch + std::size_t(x) * 2;
                const bool changed = plain[f][i] != layered[f][i];
                const bool in = x >= kViewport.left && x < kViewport.right && y >= kViewport.top && y < kViewport.bottom;
                (in ? inside : outside) += changed;
            }
        }
        EXPECT_EQ(outside, 0) << "frame " << f;
        EXPECT_GT(inside, (kViewport.right - kViewport.left) * (kViewport.bottom - kViewport.top) / 2) << "frame " << f;
    }
}

// A script-like thread rewrites a text layer's text and moves it many times
// while the graph plays: every picture still arrives, nothing deadlocks, and
// nothing outside the band the layer moves in ever changes.
TEST_F(GraphTest, LayerChangedFromAnotherThreadWhilePlaying) {
    constexpr int kChanges = 300;
    constexpr int kBandTop = 100, kBandBottom = 140;
    const tl::test::StreamInfo stream = tl::test::find_stream("prog420_cgop");
    ASSERT_EQ(BuildGraph(MEDIASUBTYPE_YUY2, &stream), S_OK);
    const auto plain = Play(stream, 4096);
    TearDown();
    SetUp();
    ASSERT_EQ(BuildGraph(MEDIASUBTYPE_YUY2, &stream), S_OK);
    ComPtr<ILayer> top, text;
    ComPtr<ILayersCollection> children;
    ASSERT_EQ(settings_->get_TopLayer(top.Out()), S_OK);
    ASSERT_EQ(top->get_layers(children.Out()), S_OK);
    ASSERT_EQ(settings_->CreateLayer(text.Out()), S_OK);
    ASSERT_EQ(text->put_BackColor(0x80FF0000), S_OK);
    ASSERT_EQ(text->put_visible(VARIANT_TRUE), S_OK);
    ASSERT_EQ(children->Add(Bstr(L"busy").Get(), text.Get(), nullptr), S_OK);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        for (int i = 0; i < kChanges && !done; ++i) {
            text->put_Text(Bstr(L"change " + std::to_wstring(i)).Get());
            text->SetViewPort(i % 200, kBandTop, i % 200 + 40 + i % 50, kBandBottom);
        }
        CoUninitialize();
    });
    const auto layered = Play(stream, 1000);
    done = true;
    writer.join();
    ASSERT_EQ(layered.size(), plain.size());
    const std::size_t pitch = std::size_t(stream.width()) * 2;
    for (std::size_t f = 0; f < plain.size(); ++f) {
        ASSERT_EQ(layered[f].size(), plain[f].size());
        EXPECT_TRUE(std::equal(plain[f].begin(), plain[f].begin() + kBandTop * pitch, layered[f].begin()));
        EXPECT_TRUE(std::equal(plain[f].begin() + kBandBottom * pitch, plain[f].end(),
                               layered[f].begin() + kBandBottom * pitch));
    }
}

TEST_F(GraphTest, DxvaTypesAreOfferedFirstAndRefusedWithoutAnAccelerator) {
    ASSERT_EQ(settings_->put_DXVA(VARIANT_TRUE), S_OK);
    const tl::test::StreamInfo stream = tl::test::find_stream("prog420_cgop");
    source_->Pin().SetPictureSize(stream.width(), stream.height());
    ASSERT_EQ(graph_->ConnectDirect(&source_->Pin(), Pin(filter_.Get(), L"Video In").Get(), nullptr), S_OK);
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(Pin(filter_.Get(), L"Video Out")->EnumMediaTypes(types.Out()), S_OK);
    AM_MEDIA_TYPE* all[32] = {};
    ULONG count = 0;
    types->Next(32, all, &count);
    EXPECT_EQ(count, 15u);
    for (ULONG i = 0; i < count; ++i) {
        if (i < 8) {
            EXPECT_EQ(all[i]->subtype.Data1 & 0xfffffff0u, 0x1b81be00u) << i;
        }
        tl::DeleteMediaType(all[i]);
    }
    ComPtr<IBaseFilter> grabber;
    ASSERT_EQ(CoCreateInstance(kSampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, grabber.OutVoid()), S_OK);
    ASSERT_EQ(graph_->AddFilter(grabber.Get(), L"grabber"), S_OK);
    ASSERT_EQ(graph_->ConnectDirect(Pin(filter_.Get(), L"Video Out").Get(), FirstPin(grabber.Get(), PINDIR_INPUT).Get(),
                                    nullptr),
              S_OK);
    EXPECT_TRUE(IsEqualGUID(OutputType().Get().subtype, MEDIASUBTYPE_YUY2)) << "the grabber hosts no accelerator";
}

// A renderer that hosts an accelerator: the surfaces it is asked for follow the
// mode and dwDXVAMaxNumSurfaces (read when a filter is created); an accelerator
// that will not lock its configuration sends the pin on to the next type, and
// in the end to software.
TEST_F(GraphTest, DxvaConnectionSurfacesAndFallback) {
    struct Case {
        const char* name;
        const wchar_t* types;
        DWORD maxSurfaces;
        char refused;
        const GUID* connected;
        DWORD minimum, maximum;
    };
    const Case cases[] = {
        {"mode A, up to the setting", L"DXVA_A", 8, 0, &tl::dxva::kModeMPEG2_A, 4, 8},
        {"mode B needs one more", L"DXVA_B", 8, 0, &tl::dxva::kModeMPEG2_B, 5, 8},
        {"setting 0: exactly the minimum", L"DXVA_B", 0, 0, &tl::dxva::kModeMPEG2_B, 5, 5},
        {"a refused lock moves on to the next type", L"DXVA_B,DXVA_A", 8, 'B', &tl::dxva::kModeMPEG2_A, 4, 8},
    };
    const tl::test::StreamInfo stream = tl::test::find_stream("prog420_cgop");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tl::test::WriteRaw(HKEY_CURRENT_USER, tl::kSettingsKeyPath, L"dwDXVAMaxNumSurfaces",
                           tl::test::Dword(c.maxSurfaces));
        ComPtr<IGraphBuilder> graph;
        ComPtr<IBaseFilter> decoder;
        ComPtr<IFilterVideoDecoder> settings;
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                   graph.OutVoid()),
                  S_OK);
        ASSERT_EQ(CoCreateInstance(__uuidof(FilterVideoDecoder), nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                   decoder.OutVoid()),
                  S_OK);
        ASSERT_EQ(decoder.As(&settings), S_OK);
        ASSERT_EQ(settings->put_DXVA(VARIANT_TRUE), S_OK);
        ASSERT_EQ(settings->put_OutputTypesPriorityDXVA(Bstr(c.types).Get()), S_OK);
        const auto source = tl::test::CreateTestSource();
        auto request = std::make_shared<tl::tlvplay::DxvaSurfaceRequest>();
        tl::tlvplay::DxvaRendererSettings rendererSettings;
        rendererSettings.refusedMode = c.refused;
        rendererSettings.request = request;
        ComPtr<IBaseFilter> renderer;
        ASSERT_EQ(tl::tlvplay::CreateDxvaRenderer(rendererSettings, std::make_shared<tl::tlvplay::GrabberCounts>(),
                                                  renderer.Out()),
                  S_OK);
        ASSERT_EQ(graph->AddFilter(source.Get(), L"source"), S_OK);
        ASSERT_EQ(graph->AddFilter(decoder.Get(), L"decoder"), S_OK);
        ASSERT_EQ(graph->AddFilter(renderer.Get(), L"renderer"), S_OK);
        source->Pin().SetPictureSize(stream.width(), stream.height());
        ASSERT_EQ(graph->ConnectDirect(&source->Pin(), Pin(decoder.Get(), L"Video In").Get(), nullptr), S_OK);
        ASSERT_EQ(graph->ConnectDirect(Pin(decoder.Get(), L"Video Out").Get(),
                                       FirstPin(renderer.Get(), PINDIR_INPUT).Get(), nullptr),
                  S_OK);
        AM_MEDIA_TYPE connected{};
        ASSERT_EQ(Pin(decoder.Get(), L"Video Out")->ConnectionMediaType(&connected), S_OK);
        EXPECT_TRUE(IsEqualGUID(connected.subtype, *c.connected));
        tl::FreeMediaTypeContents(connected);
        EXPECT_EQ(request->minimum, c.minimum);
        EXPECT_EQ(request->maximum, c.maximum);
    }
    tl::test::WriteRaw(HKEY_CURRENT_USER, tl::kSettingsKeyPath, L"dwDXVAMaxNumSurfaces", tl::test::Dword(8));
}

}  // namespace

namespace {

TEST_F(GraphTest, DynamicMembersThroughIDispatchEx) {
    ComPtr<IDispatchEx> dispatch;
    ASSERT_EQ(filter_.As(&dispatch), S_OK);
    DISPID id = 0;
    EXPECT_EQ(dispatch->GetDispID(Bstr(L"Deinterlace").Get(), 0, &id), S_OK);
    EXPECT_EQ(id, 0x60020004);
    EXPECT_EQ(dispatch->GetDispID(Bstr(L"deinterlace").Get(), fdexNameCaseInsensitive, &id), DISP_E_UNKNOWNNAME)
        << "names compare with case whatever the flags";
    EXPECT_EQ(dispatch->GetDispID(Bstr(L"value").Get(), 0, &id), S_OK);
    EXPECT_EQ(id, DISPID_VALUE);
    EXPECT_EQ(dispatch->GetDispID(Bstr(L"plugin").Get(), 0, &id), DISP_E_UNKNOWNNAME);

    DISPID plugin = 0;
    ASSERT_EQ(dispatch->GetDispID(Bstr(L"plugin").Get(), fdexNameEnsure, &plugin), S_OK);
    DISPID again = 0;
    EXPECT_EQ(dispatch->GetDispID(Bstr(L"plugin").Get(), fdexNameEnsure, &again), S_OK);
    EXPECT_EQ(again, plugin);

    VARIANT result;
    VariantInit(&result);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ASSERT_EQ(dispatch->InvokeEx(plugin, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_EMPTY);
    VARIANT stored;
    VariantInit(&stored);
    stored.vt = VT_I4;
    stored.lVal = 42;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS put{&stored, &named, 1, 1};
    ASSERT_EQ(dispatch->InvokeEx(plugin, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr),
              S_OK);
    ASSERT_EQ(dispatch->InvokeEx(plugin, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 42);
    EXPECT_EQ(dispatch->InvokeEx(plugin, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, &result, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(dispatch->InvokeEx(0x7fff0000, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr,
                                 nullptr),
              DISP_E_MEMBERNOTFOUND);

    // A member of the type information goes through the interface.
    VariantClear(&result);
    ASSERT_EQ(dispatch->InvokeEx(0x60020014, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr,
                                 nullptr),
              S_OK);
    unsigned int tolerance = 0;
    ASSERT_EQ(settings_->get_FrameSkippingTolerance(&tolerance), S_OK);
    EXPECT_EQ(result.uintVal, tolerance);

    Bstr name;
    EXPECT_EQ(dispatch->GetMemberName(plugin, name.Out()), S_OK);
    EXPECT_EQ(name.View(), L"plugin");
    EXPECT_EQ(dispatch->GetMemberName(0x7fff0000, name.Out()), DISP_E_UNKNOWNNAME);
    int members = 0;
    bool sawPlugin = false;
    for (DISPID at = DISPID_STARTENUM; dispatch->GetNextDispID(fdexEnumAll, at, &at) == S_OK;) {
        ++members;
        sawPlugin = sawPlugin || at == plugin;
    }
    EXPECT_TRUE(sawPlugin);
    EXPECT_GT(members, 30);
    EXPECT_EQ(dispatch->GetMemberProperties(plugin, 0, nullptr), E_NOTIMPL);

    EXPECT_EQ(dispatch->DeleteMemberByDispID(plugin), S_OK);
    EXPECT_EQ(dispatch->GetDispID(Bstr(L"plugin").Get(), 0, &id), DISP_E_UNKNOWNNAME);
    ASSERT_EQ(dispatch->GetDispID(Bstr(L"other").Get(), fdexNameEnsure, &id), S_OK);
    ASSERT_EQ(graph_->RemoveFilter(filter_.Get()), S_OK);
    EXPECT_EQ(dispatch->GetDispID(Bstr(L"other").Get(), 0, &id), DISP_E_UNKNOWNNAME)
        << "leaving the graph clears the dynamic members";
    VariantClear(&result);
}

TEST_F(GraphTest, PropertyPagesInTheirOrder) {
    ComPtr<ISpecifyPropertyPages> pages;
    ASSERT_EQ(filter_.As(&pages), S_OK);
    CAUUID list{};
    ASSERT_EQ(pages->GetPages(&list), S_OK);
    const std::uint32_t expected[] = {0x1f350c87, 0x1f350c89, 0x1f350c88, 0x1f350c8c, 0x1f350c8b};
    ASSERT_EQ(list.cElems, 5u);
    for (ULONG i = 0; i < list.cElems; ++i) EXPECT_EQ(list.pElems[i].Data1, expected[i]) << i;
    CoTaskMemFree(list.pElems);
    EXPECT_EQ(pages->GetPages(nullptr), E_POINTER);
}

}  // namespace

namespace {

TEST_F(GraphTest, DamagedStreamsPlayToTheirEndWithoutHarm) {
    const tl::test::StreamInfo stream = tl::test::find_stream("prog420_cgop");
    const std::vector<std::uint8_t> clean = tl::test::read_file_bytes(stream.streamPath());
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<std::uint8_t> flipped = clean;
    for (std::size_t i = 200; i < flipped.size(); i += 97) flipped[i] ^= 0x5A;
    std::vector<std::uint8_t> zeroed = clean;
    std::fill(zeroed.begin() + zeroed.size() / 3, zeroed.begin() + zeroed.size() / 2, 0);
    const Case cases[] = {
        {"bytes flipped throughout", flipped},
        {"a run of zeros", zeroed},
        {"cut in the middle", std::vector<std::uint8_t>(clean.begin(), clean.begin() + clean.size() / 2)},
        {"no sequence header", std::vector<std::uint8_t>(clean.begin() + 300, clean.end())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        ASSERT_EQ(BuildGraph(MEDIASUBTYPE_YUY2, &stream), S_OK);
        ASSERT_TRUE(SUCCEEDED(control_->Run()));
        EXPECT_EQ(source_->Pin().Push(c.bytes, 3000), S_OK);
        EXPECT_EQ(control_->Stop(), S_OK);
        for (const auto& frame : collector_->Frames()) EXPECT_EQ(frame.size(), std::size_t(stream.width()) * stream.height() * 2);
    }
}

}  // namespace

namespace {

TEST_F(GraphTest, RenegotiationToTheStreamSizeWhenTheRendererAcceptsIt) {
    // Upstream announces no size, so the first type has the default size; at the
    // first sequence header the filter offers the stream's size again.
    const tl::test::StreamInfo stream = tl::test::find_stream("prog420_cgop");
    ComPtr<tl::test::ReconnectingSink> sink = tl::test::CreateReconnectingSink();
    ASSERT_EQ(graph_->AddFilter(sink.Get(), L"sink"), S_OK);
    ASSERT_EQ(graph_->ConnectDirect(&source_->Pin(), Pin(filter_.Get(), L"Video In").Get(), nullptr), S_OK);
    ASSERT_EQ(graph_->ConnectDirect(Pin(filter_.Get(), L"Video Out").Get(), &sink->Pin(), nullptr), S_OK);
    ASSERT_EQ(graph_.As(&control_), S_OK);
    ASSERT_TRUE(SUCCEEDED(control_->Run()));
    ASSERT_EQ(source_->Pin().Push(tl::test::read_file_bytes(stream.streamPath()), 4096), S_OK);
    EXPECT_EQ(control_->Stop(), S_OK);

    const std::vector<tl::MediaType> types = sink->Pin().Types();
    ASSERT_EQ(types.size(), 2u);
    const auto* first = types[0].FormatAs<VIDEOINFOHEADER2>();
    const auto* second = types[1].FormatAs<VIDEOINFOHEADER2>();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->bmiHeader.biWidth, 720);
    EXPECT_EQ(second->bmiHeader.biWidth, stream.width());
    EXPECT_EQ(second->bmiHeader.biHeight, stream.height());
    EXPECT_EQ(second->dwPictAspectRatioX * 9, second->dwPictAspectRatioY * 11) << "11:9 from the stream";
    EXPECT_EQ(second->AvgTimePerFrame, 400000);
    EXPECT_TRUE(IsEqualGUID(types[1].Get().subtype, MEDIASUBTYPE_YUY2));
    const std::vector<long> sizes = sink->Pin().SampleSizes();
    ASSERT_EQ(int(sizes.size()), stream.frames());
    for (const long size : sizes) EXPECT_EQ(size, long(stream.width()) * stream.height() * 2);
    const tl::MediaType connected = OutputType();
    EXPECT_EQ(connected.FormatAs<VIDEOINFOHEADER2>()->bmiHeader.biWidth, stream.width());
}

}  // namespace
