#include "tools/tlvplay/dxva_renderer.h"

#include <dvdmedia.h>
#include <uuids.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "filter/com/object.h"
#include "filter/dxva/dxva_declarations.h"
#include "filter/pins/receive_multiple.h"
#include "tools/dxva_soft/soft_accelerator.h"
#include "filter/dshow/base_pin.h"
#include "tools/tlvplay/frame_writer.h"
#include "tools/tlvplay/media_guids.h"
#include "tools/tlvplay/sink_filter.h"

namespace tl::tlvplay {
namespace {

using dxva::IAMVideoAccelerator;

const GUID* const kModes[] = {&dxva::kModeMPEG2_A, &dxva::kModeMPEG2_B, &dxva::kModeMPEG2_C, &dxva::kModeMPEG2_D};

char ModeLetter(const GUID& subtype) {
    for (int i = 0; i < 4; ++i)
        if (IsEqualGUID(subtype, *kModes[i])) return char('A' + i);
    return 0;
}

// The times and flags the decoder gave a sample, as the accelerator reads them.
class SampleProperties final : public tl::OutputSample {
public:
    explicit SampleProperties(IMediaSample* sample) : sample_(sample) {}
    void release() override {}
    std::uint8_t* buffer() override { return nullptr; }
    std::int32_t size() const override { return 0; }
    const tl::OutputFormat* arrivedMediaType() const override { return nullptr; }
    void setProperties(const Properties&) override {}
    Properties properties() const override {
        Properties p;
        com::ComPtr<IMediaSample2> sample2;
        AM_SAMPLE2_PROPERTIES all{};
        if (SUCCEEDED(sample_->QueryInterface(IID_IMediaSample2, sample2.OutVoid())) &&
            SUCCEEDED(sample2->GetProperties(sizeof all, reinterpret_cast<BYTE*>(&all)))) {
            p.flags = all.dwSampleFlags;
            p.typeSpecificFlags = all.dwTypeSpecificFlags;
            p.start = all.tStart;
            p.stop = all.tStop;
        } else {
            sample_->GetTime(&p.start, &p.stop);
        }
        return p;
    }

private:
    IMediaSample* sample_;
};

class DxvaPin : public BasePin, public IMemInputPin, public IAMVideoAccelerator {
public:
    DxvaPin(BaseFilter* filter, const DxvaRendererSettings& settings, std::shared_ptr<GrabberCounts> counts)
        : BasePin(filter, L"In", PINDIR_INPUT), settings_(settings), counts_(std::move(counts)) {}

    // Nothing outlives a stopped stream here: every sample is presented as it comes.
    void ResetStream() {}

    static const com::InterfaceEntry* InterfaceMap() {
        static const com::InterfaceEntry map[] = {
            com::Entry<DxvaPin, IPin>(),
            com::Entry<DxvaPin, IMemInputPin>(),
            com::Entry<DxvaPin, IAMVideoAccelerator>(dxva::kIID_IAMVideoAccelerator),
            {nullptr, nullptr},
        };
        return map;
    }

    HRESULT STDMETHODCALLTYPE Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EndFlush() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator** allocator) override {
        return allocator_.Get(Filter().Lock(), allocator);
    }
    HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator* allocator, BOOL) override {
        return allocator_.Notify(Filter().Lock(), allocator);
    }
    HRESULT STDMETHODCALLTYPE GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) override { return E_NOTIMPL; }
    // Pictures arrive through DisplayFrame only.
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample*) override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE ReceiveMultiple(IMediaSample** samples, long count, long* processed) override {
        return ReceiveEach(*this, samples, count, processed);
    }
    HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override { return S_FALSE; }

    // IAMVideoAccelerator: the software accelerator of the connected mode.
    HRESULT STDMETHODCALLTYPE GetVideoAcceleratorGUIDs(DWORD* count, GUID* guids) override {
        if (!count) return E_POINTER;
        if (guids)
            for (DWORD i = 0; i < *count && i < 4; ++i) guids[i] = *kModes[i];
        *count = 4;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetUncompFormatsSupported(const GUID*, DWORD* count, DDPIXELFORMAT* formats) override {
        if (!count) return E_POINTER;
        if (formats && *count >= 1) {
            formats[0] = DDPIXELFORMAT{};
            formats[0].dwSize = sizeof(DDPIXELFORMAT);
            formats[0].dwFlags = DDPF_FOURCC;
            formats[0].dwFourCC = MAKEFOURCC('Y', 'V', '1', '2');
        }
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetInternalMemInfo(const GUID*, const dxva::AMVAUncompDataInfo*,
                                                 dxva::AMVAInternalMemInfo* memory) override {
        if (!memory) return E_POINTER;
        memory->dwScratchMemAlloc = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCompBufferInfo(const GUID*, const dxva::AMVAUncompDataInfo*, DWORD* count,
                                                dxva::AMVACompBufferInfo* info) override {
        return GetInternalCompBufferInfo(count, info);
    }
    HRESULT STDMETHODCALLTYPE GetInternalCompBufferInfo(DWORD* count, dxva::AMVACompBufferInfo* info) override {
        if (!count) return E_POINTER;
        if (!accelerator_) return E_UNEXPECTED;
        std::uint32_t n = *count;
        const HRESULT hr = accelerator_->getInternalCompBufferInfo(&n, info);
        *count = n;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE BeginFrame(const dxva::AMVABeginFrameInfo* info) override {
        return !info ? E_POINTER : accelerator_ ? accelerator_->beginFrame(*info) : E_UNEXPECTED;
    }
    HRESULT STDMETHODCALLTYPE EndFrame(const dxva::AMVAEndFrameInfo* info) override {
        return !info ? E_POINTER : accelerator_ ? accelerator_->endFrame(*info) : E_UNEXPECTED;
    }
    HRESULT STDMETHODCALLTYPE GetBuffer(DWORD type, DWORD index, BOOL readOnly, void** buffer, LONG* stride) override {
        if (!accelerator_) return E_UNEXPECTED;
        std::int32_t s = 0;
        const HRESULT hr = accelerator_->getBuffer(type, index, readOnly != FALSE, buffer, &s);
        if (stride) *stride = s;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE ReleaseBuffer(DWORD type, DWORD index) override {
        return accelerator_ ? accelerator_->releaseBuffer(type, index) : E_UNEXPECTED;
    }
    HRESULT STDMETHODCALLTYPE Execute(DWORD function, void* input, DWORD inputSize, void* output, DWORD outputSize,
                                      DWORD count, const dxva::AMVABUFFERINFO* buffers) override {
        if (!accelerator_) return E_UNEXPECTED;
        return accelerator_->execute(function, input, inputSize, output, outputSize, count, buffers);
    }
    HRESULT STDMETHODCALLTYPE QueryRenderStatus(DWORD type, DWORD index, DWORD flags) override {
        return accelerator_ ? accelerator_->queryRenderStatus(type, index, flags) : E_UNEXPECTED;
    }
    HRESULT STDMETHODCALLTYPE DisplayFrame(DWORD index, IMediaSample* sample) override {
        if (!sample) return E_POINTER;
        if (!accelerator_) return E_UNEXPECTED;
        SampleProperties view(sample);
        return accelerator_->displayFrame(index, &view);
    }

protected:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override {
        if (!IsEqualGUID(mt.majortype, MEDIATYPE_Video) || !ModeLetter(mt.subtype) ||
            !IsEqualGUID(mt.formattype, FORMAT_VideoInfo2) || mt.cbFormat < sizeof(VIDEOINFOHEADER2))
            return VFW_E_TYPE_NOT_ACCEPTED;
        return S_OK;
    }
    HRESULT ProposedTypes(std::vector<MediaType>*) override { return S_OK; }
    void BreakConnect() override {
        allocator_.Reset();
        accelerator_.reset();
    }

private:
    void Show(const dxva_soft::Surface& surface);

    DxvaRendererSettings settings_;
    std::shared_ptr<GrabberCounts> counts_;
    SinkAllocator allocator_;
    std::unique_ptr<dxva_soft::SoftAccelerator> accelerator_;
};

// As a DirectX VA renderer connects: the decoder names the surfaces it needs
// and the accelerator to create before the connection is accepted.
HRESULT DxvaPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) {
    if (!connector || !mt) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(Filter().Lock());
    if (connection_.Peer() == connector && accelerator_) {
        // A new picture size while connected, as a renderer that reconnects
        // dynamically takes it: same accelerator, surfaces sized by the pictures.
        if (CheckMediaType(*mt) != S_OK || ModeLetter(mt->subtype) != ModeLetter(connection_.Type().Get().subtype))
            return VFW_E_TYPE_NOT_ACCEPTED;
        connection_.Type().Assign(*mt);
        return S_OK;
    }
    HRESULT hr = CheckConnectable(connector);
    if (FAILED(hr)) return hr;
    if ((hr = CheckMediaType(*mt)) != S_OK) return hr;
    com::ComPtr<dxva::IAMVideoAcceleratorNotify> notify;
    if (FAILED(connector->QueryInterface(dxva::kIID_IAMVideoAcceleratorNotify, notify.OutVoid())))
        return VFW_E_TYPE_NOT_ACCEPTED;

    connection_.Set(connector, *mt);
    dxva_soft::Options options;
    options.mode = ModeLetter(mt->subtype);
    options.refuseLock = options.mode == settings_.refusedMode;
    accelerator_ = std::make_unique<dxva_soft::SoftAccelerator>(options);  // answers the surface questions
    dxva::AMVAUncompBufferInfo surfaces{};
    DWORD size = 0;
    void* data = nullptr;
    hr = notify->GetUncompSurfacesInfo(&mt->subtype, &surfaces);
    if (SUCCEEDED(hr) && settings_.request) *settings_.request = {surfaces.dwMinNumSurfaces, surfaces.dwMaxNumSurfaces};
    if (SUCCEEDED(hr)) hr = notify->SetUncompSurfacesInfo(surfaces.dwMaxNumSurfaces);
    if (SUCCEEDED(hr)) hr = notify->GetCreateVideoAcceleratorData(&mt->subtype, &size, &data);
    if (SUCCEEDED(hr)) {
        const auto* mode = static_cast<const dxva::DXVA_ConnectMode*>(data);
        if (size < sizeof *mode || !IsEqualGUID(mode->guidMode, mt->subtype)) hr = VFW_E_TYPE_NOT_ACCEPTED;
    }
    CoTaskMemFree(data);
    if (FAILED(hr)) {
        BreakConnect();
        connection_.Clear();
        return hr;
    }
    options.surfaces = int(surfaces.dwMaxNumSurfaces);
    accelerator_ = std::make_unique<dxva_soft::SoftAccelerator>(options);
    accelerator_->onDisplay = [this](const dxva_soft::Surface& s, const tl::OutputSample::Properties&) {
        Show(s);
    };
    return S_OK;
}

// The visible part of the surface as a YV12 frame, written the way the grabber writes frames.
void DxvaPin::Show(const dxva_soft::Surface& surface) {
    if (settings_.directory.empty()) {
        ++counts_->frames;
        return;
    }
    const auto* vih = reinterpret_cast<const VIDEOINFOHEADER2*>(connection_.Type().Get().pbFormat);
    const int width = std::min<int>(vih->bmiHeader.biWidth, surface.width);
    const int height = std::min<int>(std::abs(vih->bmiHeader.biHeight), surface.height);
    MediaType yv12(connection_.Type().Get());
    yv12.Get().subtype = MEDIASUBTYPE_YV12;
    auto* header = reinterpret_cast<VIDEOINFOHEADER2*>(yv12.Get().pbFormat);
    header->bmiHeader.biWidth = width;
    header->bmiHeader.biHeight = height;
    header->bmiHeader.biBitCount = 12;
    header->bmiHeader.biCompression = MAKEFOURCC('Y', 'V', '1', '2');
    std::vector<BYTE> frame;
    for (int y = 0; y < height; ++y)
        frame.insert(frame.end(), surface.planes[0] + y * surface.strides[0],
                     surface.planes[0] + y * surface.strides[0] + width);
    for (int plane : {2, 1})
        for (int y = 0; y < height / 2; ++y)
            frame.insert(frame.end(), surface.planes[plane] + y * surface.strides[plane],
                         surface.planes[plane] + y * surface.strides[plane] + width / 2);
    SaveNextFrame(settings_.directory, yv12.Get(), frame.data(), long(frame.size()), FrameFile::Bitmap,
                  counts_.get());
}

using DxvaRenderer = SinkFilter<DxvaPin>;

HRESULT DxvaPin::EndOfStream() {
    static_cast<DxvaRenderer&>(Filter()).StreamEnded();
    return S_OK;
}

}  // namespace

HRESULT CreateDxvaRenderer(const DxvaRendererSettings& settings, std::shared_ptr<GrabberCounts> counts,
                           IBaseFilter** out) {
    if (!counts) return E_INVALIDARG;
    return com::CreateObject<DxvaRenderer>(IID_IBaseFilter, reinterpret_cast<void**>(out), kClsidDxvaRenderer,
                                           settings, std::move(counts));
}

}  // namespace tl::tlvplay
