// tlvplay's own pieces: program stream units, elementary stream chunks, damaged
// files, options, the frame files it writes, and its push source as a DirectShow
// filter (its connection, the samples of its units, seeking with flushes and new
// segments, stopping while downstream holds a sample, and playback in Wine's
// filter graph with Wine's null renderer).
#include <gtest/gtest.h>

#include <windows.h>

#include <strmif.h>

#include <amvideo.h>
#include <control.h>
#include <dvdmedia.h>
#include <evcode.h>
#include <uuids.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "filter/com/com_ptr.h"
#include "tests/filter/recording_sink.h"
#include "tests/filter/registered_module.h"
#include "tests/support/corpus.h"
#include "tests/support/temp_file.h"
#include "tools/common/stream_reader.h"
#include "tools/tlvplay/frame_writer.h"
#include "tools/tlvplay/media_guids.h"
#include "tools/tlvplay/media_type.h"
#include "tools/tlvplay/mpeg_source.h"
#include "tools/tlvplay/options.h"
#include "tools/tlvplay/push_source.h"

namespace tl::tlvplay {
namespace {

using com::ComPtr;
using test::SinkEvent;
using test::SinkLog;

constexpr REFERENCE_TIME kSecond = 10000000;

std::unique_ptr<MpegSource> OpenStream(const std::filesystem::path& path) {
    std::string error;
    auto source = MpegSource::Open(path.string(), &error);
    EXPECT_TRUE(source) << error;
    return source;
}

std::unique_ptr<MpegSource> OpenCorpus(const char* name) { return OpenStream(test::find_stream(name).streamPath()); }

// The units the source delivers from the start, for comparison with the samples.
std::vector<StreamUnit> AllUnits(const char* name) {
    auto source = OpenCorpus(name);
    std::vector<StreamUnit> units;
    StreamUnit unit;
    while (source && source->Next(&unit)) units.push_back(unit);
    return units;
}

std::size_t Count(const std::vector<SinkEvent>& events, SinkEvent::Kind kind) {
    return std::size_t(std::count_if(events.begin(), events.end(), [kind](const SinkEvent& e) { return e.kind == kind; }));
}

std::vector<SinkEvent> Samples(const std::vector<SinkEvent>& events, std::size_t from = 0) {
    std::vector<SinkEvent> samples;
    for (std::size_t i = from; i < events.size(); ++i)
        if (events[i].kind == SinkEvent::Sample) samples.push_back(events[i]);
    return samples;
}

using Kinds = std::vector<SinkEvent::Kind>;
Kinds KindsOf(const std::vector<SinkEvent>& events, std::size_t from, std::size_t n) {
    Kinds kinds;
    for (std::size_t i = from; i < from + n && i < events.size(); ++i) kinds.push_back(events[i].kind);
    return kinds;
}

auto EndsOfStream(std::size_t n) {
    return [n](const std::vector<SinkEvent>& events) { return Count(events, SinkEvent::EndOfStream) >= n; };
}

class TlvplaySource : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)); }
    void TearDown() override { CoUninitialize(); }
};

// The push source connected straight to a recording sink, outside any graph.
struct SourceRig {
    explicit SourceRig(const char* stream) : log(std::make_shared<SinkLog>()) {
        auto opened = OpenCorpus(stream);
        duration = opened->Duration();
        maxUnit = opened->MaxUnitSize();
        EXPECT_HRESULT_SUCCEEDED(CreatePushSource(std::move(opened), source.Out()));
        EXPECT_HRESULT_SUCCEEDED(test::CreateRecordingSink(log, sink.Out()));
        out = test::FirstPin(source.Get(), PINDIR_OUTPUT);
        in = test::FirstPin(sink.Get(), PINDIR_INPUT);
        EXPECT_HRESULT_SUCCEEDED(out.As(&seeking));
        connected = out->Connect(in.Get(), nullptr);
    }
    ~SourceRig() { Stop(); }

    // Downstream first, as a graph orders state changes.
    void Run() {
        sink->Run(0);
        source->Run(0);
    }
    void Stop() {
        sink->Stop();
        source->Stop();
    }

    std::shared_ptr<SinkLog> log;
    ComPtr<IBaseFilter> source;
    ComPtr<IBaseFilter> sink;
    ComPtr<IPin> out;
    ComPtr<IPin> in;
    ComPtr<IMediaSeeking> seeking;
    HRESULT connected = E_FAIL;
    REFERENCE_TIME duration = 0;
    std::size_t maxUnit = 0;
};

TEST_F(TlvplaySource, ConnectionCarriesTheSequenceHeaderAndAnAllocatorForTheLargestUnit) {
    // Each stream with its AM_MPEG2Profile and AM_MPEG2Level.
    const std::tuple<const char*, DWORD, DWORD> cases[] = {
        {"program", 2, 2}, {"prog420_cgop", 2, 2}, {"hd1080i", 2, 4}, {"escapes", 5, 2}};
    for (const auto& [stream, profile, level] : cases) {
        SCOPED_TRACE(stream);
        SourceRig rig(stream);
        ASSERT_HRESULT_SUCCEEDED(rig.connected);
        const test::StreamInfo info = test::find_stream(stream);
        const std::vector<MediaType> types = rig.log->Types();
        ASSERT_EQ(types.size(), 1u);
        const AM_MEDIA_TYPE& t = types[0].Get();
        EXPECT_TRUE(IsEqualGUID(t.majortype, info.programStream() ? MEDIATYPE_MPEG2_PES : MEDIATYPE_Video));
        EXPECT_TRUE(IsEqualGUID(t.subtype, MEDIASUBTYPE_MPEG2_VIDEO));
        ASSERT_TRUE(IsEqualGUID(t.formattype, FORMAT_MPEG2Video));
        ASSERT_GE(t.cbFormat, sizeof(MPEG2VIDEOINFO));
        const auto* info2 = reinterpret_cast<const MPEG2VIDEOINFO*>(t.pbFormat);
        EXPECT_EQ(t.cbFormat, offsetof(MPEG2VIDEOINFO, dwSequenceHeader) + info2->cbSequenceHeader);
        const VIDEOINFOHEADER2& hdr = info2->hdr;
        const test::Ratio rate = info.frameRate();
        EXPECT_EQ(std::make_tuple(hdr.bmiHeader.biWidth, hdr.rcSource.right, hdr.bmiHeader.biHeight,
                                  hdr.AvgTimePerFrame, hdr.dwInterlaceFlags != 0, info2->dwProfile, info2->dwLevel),
                  std::make_tuple(LONG(info.width()), LONG(info.width()), LONG(info.height()),
                                  10000000LL * rate.den / rate.num, info.interlaced(), profile, level));
        const auto* header = reinterpret_cast<const BYTE*>(info2->dwSequenceHeader);
        ASSERT_GE(info2->cbSequenceHeader, 22u) << "sequence header and its extension";
        EXPECT_EQ(header[3], 0xB3);
        EXPECT_EQ(header[info2->cbSequenceHeader - 10 + 3], 0xB5) << "ends with the sequence extension";

        EXPECT_GE(rig.log->allocator.cbBuffer, long(rig.maxUnit));
        EXPECT_EQ(rig.log->allocator.cbAlign, 16) << "the sink's alignment is honoured";
        EXPECT_GE(rig.log->allocator.cBuffers, 2);
        EXPECT_EQ(rig.out->Connect(rig.in.Get(), nullptr), VFW_E_ALREADY_CONNECTED);
    }
}

// The samples are the packets the tools' reader gives (its own tests decide
// those), timed from the first time stamp, marked where playback can start.
TEST_F(TlvplaySource, ProgramStreamSamplesArePacketsWithTheirTimes) {
    SourceRig rig("program");
    ASSERT_HRESULT_SUCCEEDED(rig.connected);
    const std::vector<StreamUnit> units = AllUnits("program");
    tools::StreamReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(test::find_stream("program").streamPath().string(), error)) << error;
    std::vector<tools::StreamSample> packets;
    for (tools::StreamSample packet; reader.next(packet);) packets.push_back(packet);
    ASSERT_TRUE(!packets.empty() && packets[0].pts);
    rig.Run();
    ASSERT_TRUE(rig.log->WaitFor(EndsOfStream(1)));
    const std::vector<SinkEvent> events = rig.log->Events();
    ASSERT_EQ(events.front().kind, SinkEvent::NewSegment);
    EXPECT_TRUE(events.front().start == 0 && events.front().stop == rig.duration && events.front().rate == 1.0);
    EXPECT_EQ(events.back().kind, SinkEvent::EndOfStream);
    EXPECT_EQ(Count(events, SinkEvent::EndOfStream), 1u);
    const std::vector<SinkEvent> samples = Samples(events);
    ASSERT_EQ(samples.size(), packets.size());
    ASSERT_EQ(samples.size(), units.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        SCOPED_TRACE(i);
        const tools::StreamSample& p = packets[i];
        EXPECT_EQ(samples[i].bytes, p.bytes);
        EXPECT_EQ(samples[i].timeResult, p.pts ? VFW_S_NO_STOP_TIME : VFW_E_SAMPLE_TIME_NOT_SET);
        if (p.pts) {
            EXPECT_EQ(samples[i].start, ReferenceTime((*p.pts - *packets[0].pts) * 1000 / 9));
        }
        EXPECT_EQ(samples[i].discontinuity, i == 0);
        EXPECT_EQ(samples[i].syncPoint, units[i].entry);
    }
}

TEST_F(TlvplaySource, SeekAfterTheEndFlushesAndStartsANewSegmentAtTheTarget) {
    for (const char* stream : {"program", "prog420_cgop"}) {
        SCOPED_TRACE(stream);
        SourceRig rig(stream);
        ASSERT_HRESULT_SUCCEEDED(rig.connected);
        rig.Run();
        ASSERT_TRUE(rig.log->WaitFor(EndsOfStream(1)));
        const std::size_t before = rig.log->Events().size();
        const std::size_t samplesBefore = Samples(rig.log->Events()).size();

        LONGLONG target = rig.duration / 2;
        ASSERT_EQ(rig.seeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning | AM_SEEKING_ReturnTime,
                                            nullptr, AM_SEEKING_NoPositioning),
                  S_OK);
        EXPECT_EQ(target, rig.duration / 2);
        ASSERT_TRUE(rig.log->WaitFor(EndsOfStream(2)));
        const std::vector<SinkEvent> events = rig.log->Events();
        ASSERT_GT(events.size(), before + 4);
        EXPECT_EQ(KindsOf(events, before, 3), (Kinds{SinkEvent::BeginFlush, SinkEvent::EndFlush, SinkEvent::NewSegment}));
        EXPECT_TRUE(events[before + 2].start == rig.duration / 2 && events[before + 2].stop == rig.duration);
        const std::vector<SinkEvent> after = Samples(events, before);
        ASSERT_FALSE(after.empty());
        EXPECT_LT(after.size(), samplesBefore);
        EXPECT_TRUE(after[0].discontinuity && after[0].syncPoint);
        // Delivery resumes at an entry point before the target: its time relative to
        // the new segment is at most zero, and no more than a GOP or two earlier.
        EXPECT_LE(after[0].start, 0);
        EXPECT_GT(after[0].start, -2 * kSecond);
        LONGLONG current = -1;
        EXPECT_EQ(rig.seeking->GetCurrentPosition(&current), S_OK);
        EXPECT_EQ(current, rig.duration / 2);
    }
}

// Downstream holds every sample it is given: a seek flushes the held one out and
// delivers from the target; a stop releases the next, and a new run starts where
// the segment did and plays to the end.
TEST_F(TlvplaySource, SeekOrStopWhileDownstreamHoldsASample) {
    SourceRig rig("program");
    ASSERT_HRESULT_SUCCEEDED(rig.connected);
    const auto samples = [](std::size_t n) { return [n](const auto& e) { return Samples(e).size() == n; }; };
    rig.log->SetHolding(true);
    rig.Run();
    ASSERT_TRUE(rig.log->WaitFor(samples(1)));
    LONGLONG target = kSecond / 2;
    ASSERT_EQ(rig.seeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning),
              S_OK);
    ASSERT_TRUE(rig.log->WaitFor(samples(2)));
    const std::vector<SinkEvent> events = rig.log->Events();
    ASSERT_EQ(KindsOf(events, 0, events.size()), (Kinds{SinkEvent::NewSegment, SinkEvent::Sample, SinkEvent::BeginFlush,
                                                       SinkEvent::EndFlush, SinkEvent::NewSegment, SinkEvent::Sample}));
    EXPECT_EQ(events[4].start, target);
    EXPECT_TRUE(events[5].discontinuity);

    rig.Stop();
    rig.log->SetHolding(false);
    const std::size_t before = rig.log->Events().size();
    rig.Run();
    ASSERT_TRUE(rig.log->WaitFor(EndsOfStream(1)));
    const std::vector<SinkEvent> after = rig.log->Events();
    EXPECT_EQ(after[before].kind, SinkEvent::NewSegment);
    const std::vector<SinkEvent> second = Samples(after, before);
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(second[0].bytes, events[5].bytes) << "the second run starts where the segment did";
    EXPECT_TRUE(second[0].discontinuity);
    const std::vector<StreamUnit> units = AllUnits("program");
    const auto entry = std::find_if(units.begin(), units.end(), [&](const StreamUnit& u) { return u.bytes == second[0].bytes; });
    EXPECT_EQ(second.size(), std::size_t(units.end() - entry)) << "and goes on to the end";
}

TEST_F(TlvplaySource, StopPositionEndsTheStreamEarly) {
    SourceRig rig("program");
    ASSERT_HRESULT_SUCCEEDED(rig.connected);
    LONGLONG stop = rig.duration / 4;
    ASSERT_EQ(rig.seeking->SetPositions(nullptr, AM_SEEKING_NoPositioning, &stop, AM_SEEKING_AbsolutePositioning),
              S_OK);
    rig.Run();
    ASSERT_TRUE(rig.log->WaitFor(EndsOfStream(1)));
    const std::vector<SinkEvent> samples = Samples(rig.log->Events());
    EXPECT_LT(samples.size(), 110u);
    for (const SinkEvent& s : samples) EXPECT_TRUE(s.timeResult != VFW_S_NO_STOP_TIME || s.start <= stop) << s.start;
}

// In Wine's own filter graph, with Wine's null renderer downstream: the graph runs
// the source to EC_COMPLETE, and its seeking reaches the source through the
// renderer's pass-through.
TEST_F(TlvplaySource, PlaysAndSeeksInTheFilterGraphWithTheNullRenderer) {
    const ComPtr<IGraphBuilder> graph = test::Instance<IGraphBuilder>(CLSID_FilterGraph);
    const ComPtr<IBaseFilter> renderer = test::Instance<IBaseFilter>(kClsidNullRenderer);
    ComPtr<IBaseFilter> source;
    auto opened = OpenCorpus("program");
    const REFERENCE_TIME duration = opened->Duration();
    ASSERT_HRESULT_SUCCEEDED(CreatePushSource(std::move(opened), source.Out()));
    ASSERT_TRUE(graph && renderer);
    ASSERT_TRUE(graph->AddFilter(source.Get(), L"Source") == S_OK && graph->AddFilter(renderer.Get(), L"Null") == S_OK);
    const ComPtr<IPin> out = test::FirstPin(source.Get(), PINDIR_OUTPUT);
    ASSERT_HRESULT_SUCCEEDED(graph->ConnectDirect(out.Get(), test::FirstPin(renderer.Get(), PINDIR_INPUT).Get(), nullptr));

    ComPtr<IMediaControl> control;
    ComPtr<IMediaEvent> events;
    ComPtr<IMediaSeeking> seeking, pinSeeking;
    ASSERT_TRUE(graph.As(&control) == S_OK && graph->QueryInterface(IID_IMediaEvent, events.OutVoid()) == S_OK && graph.As(&seeking) == S_OK);
    ASSERT_HRESULT_SUCCEEDED(out.As(&pinSeeking));
    LONGLONG graphDuration = 0;
    EXPECT_TRUE(seeking->GetDuration(&graphDuration) == S_OK && graphDuration == duration);

    for (LONGLONG start : {LONGLONG(0), duration / 2}) {
        SCOPED_TRACE(start);
        LONGLONG position = start;
        ASSERT_HRESULT_SUCCEEDED(
            seeking->SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
        LONGLONG current = -1;
        pinSeeking->GetCurrentPosition(&current);
        EXPECT_EQ(current, start);
        ASSERT_HRESULT_SUCCEEDED(control->Run());
        long code = 0;
        EXPECT_TRUE(events->WaitForCompletion(60000, &code) == S_OK && code == EC_COMPLETE);
        ASSERT_HRESULT_SUCCEEDED(control->Stop());
    }
}

TEST(TlvplayElementaryStream, ChunksReassembleTheFileAndOnlyTheFirstCarriesATime) {
    for (const test::StreamInfo& info : test::list_streams()) {
        if (info.programStream()) continue;
        SCOPED_TRACE(info.name);
        auto source = OpenStream(info.streamPath());
        ASSERT_TRUE(source);
        std::vector<std::uint8_t> joined;
        StreamUnit unit;
        for (int n = 0; source->Next(&unit); ++n) {
            EXPECT_LE(unit.bytes.size(), source->MaxUnitSize());
            EXPECT_EQ(unit.time, n == 0 ? 0 : kNoTime);
            EXPECT_EQ(unit.entry, n == 0);
            joined.insert(joined.end(), unit.bytes.begin(), unit.bytes.end());
        }
        EXPECT_EQ(joined, test::read_file_bytes(info.streamPath()));
        if (!info.mpeg1()) {
            EXPECT_EQ(source->Duration(), info.frames() * source->Sequence().framePeriod)
                << "one coded frame picture per displayed picture";
        }
    }
}

TEST(TlvplayMalformed, DamagedFilesAreRefusedOrCutShortWithoutReadingPastTheirEnd) {
    const std::vector<std::uint8_t> program = test::read_file_bytes(test::find_stream("program").streamPath());
    const std::vector<std::uint8_t> es = test::read_file_bytes(test::find_stream("prog420_cgop").streamPath());
    std::vector<std::tuple<const char*, std::vector<std::uint8_t>, bool>> cases = {  // what, bytes, opens
        {"empty", {}, false},
        {"no start code", std::vector<std::uint8_t>(5000, 0x55), false},
        {"sequence header cut short", std::vector<std::uint8_t>(es.begin(), es.begin() + 9), false},
        {"pack header alone", std::vector<std::uint8_t>(program.begin(), program.begin() + 14), false},
        {"program stream cut inside a packet",
         std::vector<std::uint8_t>(program.begin(), program.begin() + std::ptrdiff_t(program.size() / 2 + 7)), true},
        {"elementary stream cut inside a picture",
         std::vector<std::uint8_t>(es.begin(), es.begin() + std::ptrdiff_t(es.size() / 3 + 5)), true},
    };
    // Zeros where packets were: the demultiplexer loses sync and has to find it again.
    std::vector<std::uint8_t> lost(program.begin(), program.begin() + 2000);
    lost.resize(2600, 0x00);
    lost.insert(lost.end(), program.begin() + 2600, program.end());
    cases.push_back({"program stream with a zeroed stretch", lost, true});

    for (const auto& [what, bytes, opens] : cases) {
        SCOPED_TRACE(what);
        test::TempFile file(".mpg");
        file.write(bytes);
        std::string error;
        auto source = MpegSource::Open(file.path().string(), &error);
        EXPECT_EQ(bool(source), opens) << error;
        EXPECT_TRUE(source || !error.empty()) << "a refused file says why";
        if (!source) continue;
        std::size_t total = 0;
        for (StreamUnit unit; source->Next(&unit);) total += unit.bytes.size();
        EXPECT_TRUE(total > 0 && total <= bytes.size()) << total;
        EXPECT_GE(source->Seek(source->Duration()), 0);
    }
}

bool Parse(std::vector<const char*> args, Options* options, std::string* error) {
    args.insert(args.begin(), "tlvplay");
    return ParseOptions(int(args.size()), args.data(), options, error);
}

// What the end-to-end run does not use: grabbing, raw frames, the null renderer
// and plug-ins are decided there.
TEST(TlvplayOptions, AcceptedCommandLines) {
    // arguments, renderer, format, deinterlace mode, seconds
    const std::tuple<std::vector<const char*>, Renderer, const char*, int, double> cases[] = {
        {{"in.m2v"}, Renderer::Default, nullptr, -1, 0},
        {{"--renderer", "vmr9", "in.mpg", "--seconds", "2"}, Renderer::Vmr9, nullptr, -1, 2},
        {{"in.mpg", "--renderer", "vmr7", "--format", "RGB565"}, Renderer::Vmr7, "RGB565", -1, 0},
        {{"in.mpg", "--deinterlace", "software-bob-double"}, Renderer::Default, nullptr, 5, 0},
        {{"in.mpg", "--deinterlace", "bob"}, Renderer::Default, nullptr, 4, 0},
        {{"in.mpg", "--deinterlace", "2", "--seconds", "0.5"}, Renderer::Default, nullptr, 2, 0.5},
    };
    for (const auto& [args, renderer, format, deinterlace, seconds] : cases) {
        SCOPED_TRACE(args[0]);
        Options o;
        std::string error;
        ASSERT_TRUE(Parse(args, &o, &error)) << error;
        EXPECT_EQ(std::make_tuple(o.renderer, std::string(o.format ? o.format->name : ""), o.deinterlace, o.seconds),
                  std::make_tuple(renderer, std::string(format ? format : ""), deinterlace, seconds));
        EXPECT_EQ(o.input.substr(0, 3), "in.");
    }
}

// One case of each kind of mistake; the end-to-end run checks what a user reads.
TEST(TlvplayOptions, RefusedCommandLinesSayWhy) {
    const std::vector<std::vector<const char*>> cases = {
        {},
        {"in.mpg", "--renderer", "grab"},
        {"in.mpg", "--format", "nv12"},
        {"in.mpg", "--deinterlace", "blend"},
        {"in.mpg", "--seconds", "2x"},
        {"in.mpg", "--raw"},
        {"in.mpg", "other.mpg"},
    };
    for (const auto& args : cases) {
        Options options;
        std::string error;
        EXPECT_FALSE(Parse(args, &options, &error)) << args.size();
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

// How the grabber reads a sample: rows length / height apart (YV12 luma two
// thirds of that), RGB upside down when the height is positive. A sample too
// small for its format is refused (no pixels expected).
TEST(TlvplayFrameWriter, RowsAsTheDecoderLaysThemOutAndShortSamplesRefused) {
    // format, width, height, the sample; the BMP's pixel array, bottom row first
    const std::tuple<const char*, long, long, std::vector<std::uint8_t>, std::vector<std::uint8_t>> cases[] = {
        {"RGB24", 1, 2, {1, 2, 3, 0xEE, 4, 5, 6, 0xEE}, {1, 2, 3, 0, 4, 5, 6, 0}},
        {"RGB32", 1, -2, {1, 2, 3, 0, 4, 5, 6, 0}, {4, 5, 6, 0, 1, 2, 3, 0}},
        // Luma pitch 4 of a sample pitch 6: white left column, black right, then Cr and Cb.
        {"YV12", 2, 2, {235, 16, 0, 0, 235, 16, 0, 0, 128, 0, 128, 0}, {255, 255, 255, 0, 0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0}},
        {"RGB32", 4, 4, std::vector<std::uint8_t>(63, 0x80), {}},
        {"YUY2", 4, 2, std::vector<std::uint8_t>(15, 0x80), {}},
        {"YV12", 4, 3, std::vector<std::uint8_t>(17, 0x80), {}},
        {"YV12", 5, 2, std::vector<std::uint8_t>(15, 0x80), {}},
    };
    for (const auto& [format, width, height, sample, pixels] : cases) {
        SCOPED_TRACE(std::string(format) + " " + std::to_string(sample.size()));
        const OutputFormat* f = FindOutputFormat(format);
        MediaType type;
        type.Get().majortype = MEDIATYPE_Video;
        type.Get().subtype = *f->subtype;
        auto* vih =
            reinterpret_cast<VIDEOINFOHEADER2*>(type.AllocateFormat(FORMAT_VideoInfo2, sizeof(VIDEOINFOHEADER2)));
        vih->bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 0, f->bitCount, f->compression, 0, 0, 0, 0, 0};
        test::TempFile file(".bmp");
        std::string error;
        const bool written = WriteFrame(file.path().string(), type.Get(), sample.data(), long(sample.size()),
                                        FrameFile::Bitmap, &error);
        ASSERT_EQ(written, !pixels.empty()) << error;
        if (!written) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        const std::vector<std::uint8_t> bmp = test::read_file_bytes(file.path());
        ASSERT_EQ(bmp.size(), 54 + pixels.size());
        EXPECT_EQ(std::vector<std::uint8_t>(bmp.begin() + 54, bmp.end()), pixels);
    }
}

}  // namespace
}  // namespace tl::tlvplay
