#include "filter/pins/output_pin.h"

#include <algorithm>
#include <new>

#include <dshow.h>
#include <dvdmedia.h>
#include <uuids.h>
#include <d3d9.h>
#include <vmr9.h>

#include "filter/dxva/connection_setup.h"
#include "filter/dxva/dxva_declarations.h"
#include "filter/filter/filter_video_decoder.h"
#include "filter/pins/connection_lists.h"
#include "filter/dshow/enumerators.h"
#include "filter/pins/output_types.h"

namespace tl {
namespace {

bool IsDxvaType(const AM_MEDIA_TYPE& type) { return dxva::IsDxvaMode(type.subtype); }

// biSizeImage of a VIDEOINFOHEADER or VIDEOINFOHEADER2 format, else 0.
DWORD ImageSizeOf(const AM_MEDIA_TYPE& type) {
    if (IsEqualGUID(type.formattype, FORMAT_VideoInfo2) && type.pbFormat && type.cbFormat >= sizeof(VIDEOINFOHEADER2))
        return reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat)->bmiHeader.biSizeImage;
    if (IsEqualGUID(type.formattype, FORMAT_VideoInfo) && type.pbFormat && type.cbFormat >= sizeof(VIDEOINFOHEADER))
        return reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader.biSizeImage;
    return 0;
}

bool HasVideoInfoFormat(const AM_MEDIA_TYPE& type) {
    return IsEqualGUID(type.formattype, FORMAT_VideoInfo2) || IsEqualGUID(type.formattype, FORMAT_VideoInfo);
}

}  // namespace

const com::InterfaceEntry* OutputPin::InterfaceMap() {
    static const com::InterfaceEntry map[] = {
        com::Entry<OutputPin, IPin>(),
        com::Entry<OutputPin, IQualityControl>(),
        com::Entry<OutputPin, dxva::IAMVideoAcceleratorNotify>(dxva::kIID_IAMVideoAcceleratorNotify),
        {},
    };
    return map;
}

HRESULT STDMETHODCALLTYPE OutputPin::QueryInterface(REFIID riid, void** ppv) {
    const HRESULT hr = com::QueryFromMap(this, InterfaceMap(), riid, ppv);
    if (hr != E_NOINTERFACE) return hr;
    if (IsEqualIID(riid, IID_IMediaSeeking) || IsEqualIID(riid, IID_IMediaPosition)) {
        if (IUnknown* seeking = filter_.SeekingPassThrough()) return seeking->QueryInterface(riid, ppv);
    }
    return hr;
}

ULONG STDMETHODCALLTYPE OutputPin::AddRef() { return Owner()->AddRef(); }
ULONG STDMETHODCALLTYPE OutputPin::Release() { return Owner()->Release(); }

std::string OutputPin::OfferedCodeString() {
    FilterSettings& s = filter_.Settings();
    OfferedListInputs inputs;
    inputs.directXVA = s.bDirectXVA.Get();
    inputs.h264Input = filter_.H264Input();
    inputs.hardwareDeinterlace = s.bUseHadwareAcceleratedDeinterlace.Get();
    inputs.dxvaList = *s.szOutTypesPriorityDXVA.Get();
    inputs.hardwareList = *s.szOutTypesPriorityHW.Get();
    inputs.softwareList = *s.szOutTypesPriority.Get();
    return OfferedCodes(inputs);
}

HRESULT OutputPin::ProposedTypes(std::vector<MediaType>* types) {
    const std::string codes = OfferedCodeString();
    if (codes.empty()) return E_INVALIDARG;
    FormatDefaults defaults;
    defaults.width = filter_.Settings().nDefaultWidth.Get();
    defaults.height = filter_.Settings().nDefaultHeight.Get();
    types->clear();
    types->reserve(codes.size());
    for (const char code : codes) {
        MediaType type;
        if (MakeOutputType(code, filter_.CurrentFormat(), defaults, &type)) types->push_back(std::move(type));
    }
    return S_OK;
}

HRESULT OutputPin::SetUpAllocator() {
    if (!downstreamInput_) {
        const HRESULT hr = connection_.Peer()->QueryInterface(IID_IMemInputPin, downstreamInput_.OutVoid());
        if (FAILED(hr)) return hr;
    }
    allocator_.Reset();
    if (FAILED(downstreamInput_->GetAllocator(allocator_.Out())) || !allocator_) {
        const HRESULT hr = CreateMemoryAllocator();
        if (FAILED(hr)) return hr;
    }
    const AM_MEDIA_TYPE& type = connection_.Type().Get();
    if (!HasVideoInfoFormat(type)) return E_FAIL;
    ALLOCATOR_PROPERTIES wanted{};
    wanted.cBuffers = LONG(filter_.Settings().dwDeliverBufferCount.Get());
    wanted.cbBuffer = LONG(ImageSizeOf(type));
    wanted.cbAlign = 1;
    wanted.cbPrefix = 0;
    ALLOCATOR_PROPERTIES granted{};
    HRESULT hr = allocator_->SetProperties(&wanted, &granted);
    // Allocators that cannot give as many buffers get one fewer at a time.
    while (FAILED(hr) && wanted.cBuffers >= 2) {
        --wanted.cBuffers;
        hr = allocator_->SetProperties(&wanted, &granted);
    }
    if (FAILED(hr)) return hr;
    if (granted.cbBuffer < wanted.cbBuffer) return E_FAIL;
    hr = downstreamInput_->NotifyAllocator(allocator_.Get(), FALSE);
    if (FAILED(hr)) {
        allocator_.Reset();
        return hr;
    }
    return S_OK;
}

HRESULT OutputPin::PeerAccelerator(com::ComPtr<dxva::IAMVideoAccelerator>* accelerator) {
    IPin* peer = connection_.Peer();
    if (!peer) return VFW_E_NOT_CONNECTED;
    const HRESULT hr = peer->QueryInterface(dxva::kIID_IAMVideoAccelerator, accelerator->OutVoid());
    return FAILED(hr) || !*accelerator ? E_NOINTERFACE : S_OK;
}

HRESULT OutputPin::CompleteConnection() {
    if (IsDxvaType(connection_.Type().Get())) {
        // Only a renderer that hosts an accelerator takes DXVA types, and only
        // once the configuration exchange with it succeeded; otherwise the
        // negotiation moves on to the next type.
        com::ComPtr<dxva::IAMVideoAccelerator> accelerator;
        if (const HRESULT hr = PeerAccelerator(&accelerator); FAILED(hr)) return hr;
        const OutputSubtype mode = DxvaSubtypeOf(connection_.Type().Get().subtype);
        if (const HRESULT hr = ConfigureDxva(accelerator.Get(), mode, filter_.Dxva()); FAILED(hr)) return hr;
    }
    const HRESULT hr = SetUpAllocator();
    if (FAILED(hr)) return hr;
    if (!filter_.Settings().bMaintainAspectRatio.Get()) LetRendererStretch();
    return S_OK;
}

// A VMR-9 downstream then fills its window instead of letterboxing. Nothing here
// can fail the connection.
void OutputPin::LetRendererStretch() {
    PIN_INFO info{};
    if (FAILED(connection_.Peer()->QueryPinInfo(&info)) || !info.pFilter) return;
    com::ComPtr<IVMRAspectRatioControl9> control;
    if (SUCCEEDED(info.pFilter->QueryInterface(__uuidof(IVMRAspectRatioControl9), control.OutVoid())))
        control->SetAspectRatioMode(VMR_ARMODE_NONE);
    info.pFilter->Release();
}

void OutputPin::BreakConnect() {
    DropAllocator();
    downstreamInput_.Reset();
}

HRESULT OutputPin::AttemptType(IPin* receivePin, const AM_MEDIA_TYPE& type) {
    if (!IsAcceptedOutputType(type)) return VFW_E_NO_ACCEPTABLE_TYPES;
    connection_.Set(receivePin, type);
    HRESULT hr = receivePin->ReceiveConnection(this, &type);
    if (FAILED(hr)) {
        connection_.Clear();
        return hr;
    }
    hr = CompleteConnection();
    if (FAILED(hr)) {
        receivePin->Disconnect();
        BreakConnect();
        connection_.Clear();
        return hr;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OutputPin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* mt) {
    if (!receivePin) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(filter_.FilterLock());
    if (const HRESULT hr = CheckConnectable(); FAILED(hr)) return hr;

    const std::wstring downstream = OwnerClassIdText(receivePin);
    if (!downstream.empty()) {
        const FilterSettings& s = filter_.Settings();
        if (!IsDownstreamAllowed(*s.szOutputConnectionAllowList.Get(), *s.szOutputConnectionDenyList.Get(),
                                 downstream))
            return E_FAIL;
    }
    if (FacesSameWay(receivePin)) return VFW_E_INVALID_DIRECTION;
    HRESULT hr = receivePin->QueryInterface(IID_IMemInputPin, downstreamInput_.OutVoid());
    if (FAILED(hr)) return hr;

    if (IsFullySpecified(mt)) {
        hr = AttemptType(receivePin, *mt);
        if (FAILED(hr)) BreakConnect();
        return hr;
    }
    return com::Guarded([&]() -> HRESULT {
        // Our own types first, then what the downstream pin proposes.
        std::vector<MediaType> own;
        const HRESULT offered = ProposedTypes(&own);
        for (const MediaType& type : own)
            if (AttemptType(receivePin, type.Get()) == S_OK) return S_OK;
        const auto attempt = [&](const AM_MEDIA_TYPE& type) { return AttemptType(receivePin, type); };
        if (ConnectWithProposedTypes(receivePin, attempt)) return S_OK;
        BreakConnect();
        return FAILED(offered) ? offered : VFW_E_NO_ACCEPTABLE_TYPES;
    });
}

HRESULT STDMETHODCALLTYPE OutputPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) {
    if (!connector || !mt) return E_POINTER;
    std::lock_guard<std::recursive_mutex> hold(filter_.FilterLock());
    if (const HRESULT hr = CheckConnectable(); FAILED(hr)) return hr;
    if (!IsAcceptedOutputType(*mt)) return VFW_E_NO_ACCEPTABLE_TYPES;
    return com::Guarded([&]() -> HRESULT {
        connection_.Set(connector, *mt);
        const HRESULT hr = CompleteConnection();
        if (FAILED(hr)) {
            BreakConnect();
            connection_.Clear();
        }
        return hr;
    });
}

HRESULT OutputPin::CheckMediaType(const AM_MEDIA_TYPE& mt) { return IsAcceptedOutputType(mt) ? S_OK : S_FALSE; }

HRESULT STDMETHODCALLTYPE OutputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    connection_.SetSegment(start, stop, rate);
    if (IPin* peer = connection_.Peer()) peer->NewSegment(start, stop, rate);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OutputPin::Notify(IBaseFilter*, Quality quality) {
    if (quality.Type == Famine || quality.Type == Flood) filter_.SetRendererLateness(quality.Late);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OutputPin::SetSink(IQualityControl*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE OutputPin::GetUncompSurfacesInfo(const GUID* guid, dxva::AMVAUncompBufferInfo* info) {
    if (!guid || !info) return E_POINTER;
    com::ComPtr<dxva::IAMVideoAccelerator> accelerator;
    if (const HRESULT hr = PeerAccelerator(&accelerator); FAILED(hr)) return hr;
    DWORD count = 0;
    if (const HRESULT hr = accelerator->GetUncompFormatsSupported(guid, &count, nullptr); FAILED(hr)) return hr;
    std::vector<DDPIXELFORMAT> formats;
    try {
        formats.resize(count);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (count) {
        if (const HRESULT hr = accelerator->GetUncompFormatsSupported(guid, &count, formats.data()); FAILED(hr))
            return hr;
    }
    OutputSubtype mode = DxvaSubtypeOf(connection_.Type().Get().subtype);
    if (mode == OutputSubtype::Other) mode = DxvaSubtypeOf(*guid);
    const dxva::ModeRow* row = dxva::findMode(mode);
    const DWORD minimum = row ? row->minimumSurfaces : 0;
    info->dwMinNumSurfaces = minimum;
    info->dwMaxNumSurfaces = std::max<DWORD>(minimum, filter_.Settings().dwDXVAMaxNumSurfaces.Get());
    info->ddUncompPixelFormat = count && !formats.empty() ? formats[0] : DDPIXELFORMAT{};
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OutputPin::SetUncompSurfacesInfo(DWORD actualSurfaces) {
    filter_.Dxva().surfaceCount = actualSurfaces;
    return S_OK;
}

// The renderer creates its accelerator for the connection's mode, whatever GUID it names.
HRESULT STDMETHODCALLTYPE OutputPin::GetCreateVideoAcceleratorData(const GUID*, DWORD* size, void** data) {
    if (!size || !data) return E_POINTER;
    const GUID& subtype = connection_.Type().Get().subtype;
    const dxva::ModeRow* row = dxva::findMode(DxvaSubtypeOf(subtype));
    if (!row) return E_FAIL;
    auto* mode = static_cast<dxva::DXVA_ConnectMode*>(CoTaskMemAlloc(sizeof(dxva::DXVA_ConnectMode)));
    if (!mode) return E_OUTOFMEMORY;
    mode->guidMode = subtype;
    mode->wRestrictedMode = row->wRestrictedMode;
    *data = mode;
    *size = sizeof(dxva::DXVA_ConnectMode);
    return S_OK;
}

HRESULT OutputPin::ChangeOutputFormat(const LONG* pictureSize, const LONG* codedSize, const LONG* aspect,
                                      DWORD chromaFormat, REFERENCE_TIME framePeriod) {
    IPin* peer = connection_.Peer();
    if (!peer) return VFW_E_NOT_CONNECTED;
    return com::Guarded([&]() -> HRESULT {
        const MediaType saved = connection_.Type();
        const bool wasDxva = IsDxvaType(saved.Get());
        std::vector<MediaType> candidates;
        HRESULT hr = ProposedTypes(&candidates);
        if (FAILED(hr)) return hr;
        for (MediaType& candidate : candidates) {
            AM_MEDIA_TYPE& type = candidate.Get();
            const bool dxva = IsDxvaType(type);
            const bool yv12 = IsEqualGUID(type.subtype, MEDIASUBTYPE_YV12);
            const bool packed422 = IsEqualGUID(type.subtype, MEDIASUBTYPE_YUY2) ||
                                   IsEqualGUID(type.subtype, MEDIASUBTYPE_UYVY) ||
                                   IsEqualGUID(type.subtype, MEDIASUBTYPE_YVYU);
            if ((dxva && chromaFormat != 1) || (chromaFormat > 1 && yv12) || (chromaFormat > 2 && packed422))
                continue;
            auto* vih = candidate.FormatAs<VIDEOINFOHEADER2>();
            if (!vih) continue;
            BITMAPINFOHEADER& bmi = vih->bmiHeader;
            bmi.biWidth = dxva ? codedSize[0] : pictureSize[0];
            bmi.biHeight = dxva ? codedSize[1] : pictureSize[1];
            vih->dwPictAspectRatioX = DWORD(aspect[0]);
            vih->dwPictAspectRatioY = DWORD(aspect[1]);
            vih->AvgTimePerFrame = framePeriod;
            vih->rcSource = {0, 0, 0, 0};
            vih->rcTarget = {0, 0, bmi.biWidth, bmi.biHeight};
            bmi.biSizeImage = ImageSize(bmi.biBitCount, bmi.biWidth, bmi.biHeight);
            type.lSampleSize = bmi.biSizeImage;
            connection_.Type().Assign(type);
            filter_.CurrentFormat() = *vih;
            if (dxva != wasDxva) {
                com::ComPtr<IPinConnection> dynamic;
                if (SUCCEEDED(peer->QueryInterface(IID_IPinConnection, dynamic.OutVoid())))
                    dynamic->DynamicDisconnect();
            }
            if (FAILED(peer->ReceiveConnection(this, &type))) continue;
            DropAllocator();
            if (FAILED(CompleteConnection())) continue;
            if (filter_.State() != State_Stopped && allocator_) allocator_->Commit();
            return S_OK;
        }
        connection_.Type() = saved;
        peer->ReceiveConnection(this, &saved.Get());
        return VFW_E_TYPE_NOT_ACCEPTED;
    });
}

HRESULT OutputPin::ChangeAspectRatio(const LONG* aspect) {
    return com::Guarded([&]() -> HRESULT {
        auto* vih = IsEqualGUID(connection_.Type().Get().formattype, FORMAT_VideoInfo2)
                        ? connection_.Type().FormatAs<VIDEOINFOHEADER2>()
                        : nullptr;
        if (!vih) return E_INVALIDARG;
        const MediaType saved = connection_.Type();
        vih->dwPictAspectRatioX = DWORD(aspect[0]);
        vih->dwPictAspectRatioY = DWORD(aspect[1]);
        IPin* peer = connection_.Peer();
        HRESULT answer = VFW_E_NOT_CONNECTED;
        if (peer) {
            com::ComPtr<IPinConnection> dynamic;
            answer = SUCCEEDED(peer->QueryInterface(IID_IPinConnection, dynamic.OutVoid()))
                         ? dynamic->DynamicQueryAccept(&connection_.Type().Get())
                         : peer->QueryAccept(&connection_.Type().Get());
        }
        if (answer == S_OK) return S_OK;
        connection_.Type() = saved;
        return answer;
    });
}

HRESULT OutputPin::GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop,
                                     DWORD flags) {
    if (filter_.State() == State_Stopped) return VFW_E_WRONG_STATE;
    if (!sample) return E_POINTER;
    *sample = nullptr;
    const com::ComPtr<IMemAllocator> allocator = allocator_;
    if (!allocator) return E_NOINTERFACE;
    HRESULT hr = allocator->GetBuffer(sample, start, stop, flags);
    if (hr == VFW_E_NOT_COMMITTED && filter_.State() != State_Stopped) {
        allocator->Commit();
        hr = allocator->GetBuffer(sample, start, stop, flags);
    }
    if (SUCCEEDED(hr) && *sample) {
        AM_MEDIA_TYPE* changed = nullptr;
        if ((*sample)->GetMediaType(&changed) == S_OK && changed) {
            com::Guarded([&] {
                connection_.Type().Assign(*changed);
                return S_OK;
            });
            DeleteMediaType(changed);
        }
    }
    return hr;
}

HRESULT OutputPin::Deliver(IMediaSample* sample) {
    const com::ComPtr<IMemInputPin> downstream = downstreamInput_;
    if (!downstream) return VFW_E_NOT_CONNECTED;
    return downstream->Receive(sample);
}

void OutputPin::Activate() {
    if (allocator_) allocator_->Commit();
}

void OutputPin::Deactivate() {
    if (allocator_) allocator_->Decommit();
}

}  // namespace tl
