#include "filter/filter/filter_video_decoder.h"

#include <uuids.h>

#include <cstring>

#include "engine/base/cpu_features.h"
#include "engine/base/hresult.h"
#include "filter/com/bstr.h"
#include "filter/com/snapshot_enumerator.h"
#include "filter/com/type_library.h"
#include "filter/module/module_version.h"
#include "filter/settings/setting_properties.h"

namespace tl {
namespace {

constexpr wchar_t kVendorInfo[] = L"Kelmarin Systems GmbH";
constexpr std::uint32_t kMmxBit = 1u << 23;

}  // namespace

const com::InterfaceEntry* FilterVideoDecoder::InterfaceMap() {
    using F = FilterVideoDecoder;
    static const com::InterfaceEntry map[] = {
        com::Entry<F, IBaseFilter>(),
        com::Entry<F, IMediaFilter, IBaseFilter>(),
        com::Entry<F, IPersist, IBaseFilter>(),
        com::Entry<F, IDispatch, IFilterVideoDecoder>(),
        com::Entry<F, IFilterVideoDecoder>(),
        com::Entry<F, IDispatchEx>(),
        com::Entry<F, ISupportErrorInfo>(),
        com::Entry<F, IConnectionPointContainer>(),
        com::Entry<F, IProvideClassInfo2>(),
        com::Entry<F, IProvideClassInfo, IProvideClassInfo2>(),
        com::Entry<F, ISpecifyPropertyPages>(),
        com::Entry<F, IServiceProvider>(),
        com::Entry<F, IActiveScriptSite>(),
        com::Entry<F, IActiveScriptSiteInterruptPoll>(),
        com::Entry<F, IActiveScriptSiteWindow>(),
        com::Entry<F, IAMVideoProcAmp>(),
        {},
    };
    return map;
}

FilterVideoDecoder::FilterVideoDecoder()
    : BaseFilter(__uuidof(::FilterVideoDecoder)),
      input_(*this), output_(*this), hostCallbacks_(*this), events_(*this) {
    ResetToDefaults(settings_);
    std::memset(&currentFormat_, 0, sizeof(currentFormat_));
}

FilterVideoDecoder::~FilterVideoDecoder() {
    ReleaseDecoder();
    events_.Clear();
    seekingPassThrough_.Reset();
}

HRESULT FilterVideoDecoder::FinalConstruct() {
    if (!(cpuFeatureWord() & kMmxBit)) return VFW_E_PROCESSOR_NOT_SUITABLE;
    LoadSettings(settings_);
    HRESULT hr = CoCreateInstance(CLSID_SeekingPassThru, ControllingUnknown(), CLSCTX_INPROC_SERVER, IID_IUnknown,
                                  seekingPassThrough_.OutVoid());
    if (FAILED(hr)) return hr;
    ISeekingPassThru* passThru = nullptr;
    hr = seekingPassThrough_->QueryInterface(IID_ISeekingPassThru, reinterpret_cast<void**>(&passThru));
    if (FAILED(hr) || !passThru) return E_NOINTERFACE;
    hr = passThru->Init(FALSE, static_cast<IPin*>(&input_));
    // The aggregated object's interfaces count on this object.
    passThru->Release();
    if (FAILED(hr)) return hr;
    h264Input_ = false;
    std::memset(&currentFormat_, 0, sizeof(currentFormat_));
    return S_OK;
}

com::ComPtr<IVideoDecoderEngine> FilterVideoDecoder::Decoder() {
    std::lock_guard<std::mutex> hold(streamLock_);
    return decoder_;
}

HRESULT FilterVideoDecoder::CreateDecoder() {
    rendererLateness_ = 0;
    const CLSID& decoderClass = h264Input_ ? __uuidof(::VideoDecoderH264) : __uuidof(::VideoDecoderMPEG2);
    com::ComPtr<IVideoDecoderEngine> decoder;
    HRESULT hr = CoCreateInstance(decoderClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IVideoDecoderEngine),
                                  decoder.OutVoid());
    if (FAILED(hr)) return hr;
    hr = decoder->Init(static_cast<IBaseFilter*>(this), &hostCallbacks_, static_cast<IPin*>(&output_));
    if (FAILED(hr)) return hr;
    std::lock_guard<std::mutex> hold(streamLock_);
    decoder_ = std::move(decoder);
    return S_OK;
}

void FilterVideoDecoder::ReleaseDecoder() {
    com::ComPtr<IVideoDecoderEngine> decoder;
    {
        std::lock_guard<std::mutex> hold(streamLock_);
        decoder.Swap(decoder_);
    }
    if (decoder) decoder->Uninit();
}

std::vector<IPin*> FilterVideoDecoder::Pins() { return {&input_, &output_}; }

HRESULT FilterVideoDecoder::OnActivate() {
    output_.Activate();
    return CreateDecoder();
}

void FilterVideoDecoder::OnDeactivate() {
    output_.Deactivate();
    ReleaseDecoder();
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    if (graph) {
        std::lock_guard<std::recursive_mutex> hold(Lock());
        const HRESULT hr = BaseFilter::JoinFilterGraph(graph, name);
        if (FAILED(hr)) return hr;
        return com::Guarded([&]() -> HRESULT {
            inGraph_ = true;
            // Without a registered layer class the filter has no top layer, and
            // TopLayer fails.
            CoCreateInstance(__uuidof(::Layer), nullptr, CLSCTX_INPROC_SERVER, __uuidof(ILayer), topLayer_.OutVoid());
            plugins_.Load(this, [this](const std::wstring& plugin, IDispatch* dispatch) {
                AddPluginMember(plugin, dispatch);
            });
            return S_OK;
        });
    }
    {
        std::lock_guard<std::recursive_mutex> hold(Lock());
        const HRESULT hr = BaseFilter::JoinFilterGraph(nullptr, name);
        inGraph_ = false;
        members_.ClearDynamic();
        if (FAILED(hr)) return hr;
    }
    // Outside the filter lock: Finit waits for a plug-in's thread, which may be
    // in a pin call that takes the filter lock.
    plugins_.Unload();
    std::lock_guard<std::recursive_mutex> hold(Lock());
    topLayer_.Reset();
    return S_OK;
}

void FilterVideoDecoder::AddPluginMember(const std::wstring& name, IDispatch* plugin) {
    // The type information's names come first, so a plug-in cannot hide a property.
    LoadMembers();
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_DISPATCH;
    value.pdispVal = plugin;
    members_.SetDynamic(name, value);
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::QueryVendorInfo(LPWSTR* info) { return CopyPinId(kVendorInfo, info); }

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::get_Version(BSTR* pVal) {
    if (!pVal) return E_POINTER;
    return com::Guarded([&]() -> HRESULT {
        std::wstring text;
        const HRESULT hr = ModuleVersionText(&text);
        if (FAILED(hr)) return hr;
        return com::ReturnString(text, pVal);
    });
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::get_Deinterlace(tagDEINTERLACE* pVal) {
    if (!pVal) return E_POINTER;
    *pVal = static_cast<tagDEINTERLACE>(settings_.eDeinterlace.Get());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::put_Deinterlace(tagDEINTERLACE newVal) {
    settings_.eDeinterlace.Set(static_cast<Deinterlace>(newVal));
    return S_OK;
}

#define TL_BOOL_PROPERTY(Name, field)                                                                   \
    HRESULT STDMETHODCALLTYPE FilterVideoDecoder::get_##Name(VARIANT_BOOL* pVal) {                      \
        return GetBoolProperty(settings_.field, pVal);                                                  \
    }                                                                                                   \
    HRESULT STDMETHODCALLTYPE FilterVideoDecoder::put_##Name(VARIANT_BOOL newVal) {                     \
        PutBoolProperty(settings_.field, newVal);                                                       \
        return S_OK;                                                                                    \
    }
#define TL_NUMBER_PROPERTY(Name, field)                                                                 \
    HRESULT STDMETHODCALLTYPE FilterVideoDecoder::get_##Name(unsigned int* pVal) {                      \
        if (!pVal) return E_POINTER;                                                                    \
        *pVal = settings_.field.Get();                                                                  \
        return S_OK;                                                                                    \
    }                                                                                                   \
    HRESULT STDMETHODCALLTYPE FilterVideoDecoder::put_##Name(unsigned int newVal) {                     \
        settings_.field.Set(newVal);                                                                    \
        return S_OK;                                                                                    \
    }
#define TL_STRING_PROPERTY(Name, field)                                                                 \
    HRESULT STDMETHODCALLTYPE FilterVideoDecoder::get_##Name(BSTR* pVal) {                              \
        return GetStringProperty(settings_.field, pVal);                                                \
    }                                                                                                   \
    HRESULT STDMETHODCALLTYPE FilterVideoDecoder::put_##Name(BSTR newVal) {                             \
        return PutStringProperty(settings_.field, newVal);                                              \
    }

TL_BOOL_PROPERTY(CPUFeatureSSE, bCPUFeatureSSE)
TL_BOOL_PROPERTY(CPUFeatureSSE2, bCPUFeatureSSE2)
TL_BOOL_PROPERTY(CPUFeatureSSE3, bCPUFeatureSSE3)
TL_BOOL_PROPERTY(DXVA, bDirectXVA)
TL_BOOL_PROPERTY(AlwaysDeinterlace, bAlwaysDeinterlace)
TL_BOOL_PROPERTY(ColorCorrection, bColorCorrection)
TL_BOOL_PROPERTY(FrameSkipping, bFrameSkipping)
TL_BOOL_PROPERTY(ErrorConcealment, bErrorConcealment)
TL_BOOL_PROPERTY(UseHadwareAcceleratedDeinterlace, bUseHadwareAcceleratedDeinterlace)
TL_NUMBER_PROPERTY(FrameSkippingTolerance, dwFrameSkippingTolerance)
TL_NUMBER_PROPERTY(AspectRatioX, nAspectRatioX)
TL_NUMBER_PROPERTY(AspectRatioY, nAspectRatioY)
TL_STRING_PROPERTY(OutputTypesPriority, szOutTypesPriority)
TL_STRING_PROPERTY(OutputTypesPriorityHW, szOutTypesPriorityHW)
TL_STRING_PROPERTY(OutputTypesPriorityDXVA, szOutTypesPriorityDXVA)
TL_STRING_PROPERTY(OutputConnectionAllowList, szOutputConnectionAllowList)
TL_STRING_PROPERTY(OutputConnectionDenyList, szOutputConnectionDenyList)

#undef TL_BOOL_PROPERTY
#undef TL_NUMBER_PROPERTY
#undef TL_STRING_PROPERTY

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::get_RendererLateness(hyper* pVal) {
    if (!pVal) return E_POINTER;
    *pVal = rendererLateness_.load();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::get_UndeliveredFrames(long* pVal) {
    if (!pVal) return E_POINTER;
    *pVal = 0;
    const com::ComPtr<IVideoDecoderEngine> decoder = Decoder();
    return decoder ? decoder->GetUndeliveredFrames(pVal) : S_OK;
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::get_TopLayer(ILayer** pVal) {
    if (!pVal) return E_POINTER;
    *pVal = nullptr;
    if (!topLayer_) return E_NOINTERFACE;
    return topLayer_->QueryInterface(__uuidof(ILayer), reinterpret_cast<void**>(pVal));
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::get_decoder(IDispatch** pVal) {
    if (!pVal) return E_POINTER;
    *pVal = nullptr;
    const com::ComPtr<IVideoDecoderEngine> decoder = Decoder();
    if (!decoder) return S_OK;
    return decoder->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(pVal));
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::CreateLayer(ILayer** ppLayer) {
    if (!ppLayer) return E_POINTER;
    *ppLayer = nullptr;
    return CoCreateInstance(__uuidof(::Layer), nullptr, CLSCTX_INPROC_SERVER, __uuidof(ILayer),
                            reinterpret_cast<void**>(ppLayer));
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::Sleep(unsigned int dwMilliseconds) {
    if (dwMilliseconds == 0) return E_INVALIDARG;
    ::Sleep(dwMilliseconds);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::SaveDefaults() {
    SaveSettings(settings_);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::GetTypeInfoCount(UINT* count) {
    return Dual<IFilterVideoDecoder>::GetTypeInfoCount(count);
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) {
    return Dual<IFilterVideoDecoder>::GetTypeInfo(index, lcid, info);
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                                            DISPID* ids) {
    return Dual<IFilterVideoDecoder>::GetIDsOfNames(riid, names, count, lcid, ids);
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                                     UINT* argError) {
    return Dual<IFilterVideoDecoder>::Invoke(id, riid, lcid, flags, params, result, exception, argError);
}

HRESULT FilterVideoDecoder::LoadMembers() {
    com::ComPtr<ITypeInfo> type;
    const HRESULT hr = TypeInfo(&type);
    if (FAILED(hr)) return hr;
    return members_.EnsureTypeMembers(type.Get());
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::GetDispID(BSTR name, DWORD flags, DISPID* id) {
    if (!id) return E_POINTER;
    *id = DISPID_UNKNOWN;
    if (!name) return E_INVALIDARG;
    return com::Guarded([&]() -> HRESULT {
        const HRESULT hr = LoadMembers();
        if (FAILED(hr)) return hr;
        const std::wstring text(name, SysStringLen(name));
        if (const auto found = members_.Find(text)) {
            *id = *found;
        } else if (text == L"value") {
            *id = DISPID_VALUE;
        } else if (flags & fdexNameEnsure) {
            *id = members_.AddDynamic(text);
        } else {
            return DISP_E_UNKNOWNNAME;
        }
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::InvokeEx(DISPID id, LCID lcid, WORD flags, DISPPARAMS* params,
                                                       VARIANT* result, EXCEPINFO* exception, IServiceProvider*) {
    const HRESULT hr = LoadMembers();
    if (FAILED(hr)) return hr;
    if (members_.IsTypeMember(id)) return Invoke(id, IID_NULL, lcid, flags, params, result, exception, nullptr);
    if (!members_.IsDynamic(id)) return DISP_E_MEMBERNOTFOUND;
    if (flags == DISPATCH_PROPERTYGET) {
        if (!result) return E_POINTER;
        VariantInit(result);
        return members_.GetValue(id, result);
    }
    if ((flags & DISPATCH_PROPERTYPUT) && params && params->cArgs == 1) return members_.PutValue(id, params->rgvarg[0]);
    return DISP_E_BADPARAMCOUNT;
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::DeleteMemberByName(BSTR name, DWORD) {
    if (!name) return E_INVALIDARG;
    return com::Guarded([&]() -> HRESULT {
        const auto found = members_.Find(std::wstring(name, SysStringLen(name)));
        return found && members_.RemoveDynamic(*found) ? S_OK : S_FALSE;
    });
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::DeleteMemberByDispID(DISPID id) {
    return members_.RemoveDynamic(id) ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::GetMemberProperties(DISPID, DWORD, DWORD*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::GetMemberName(DISPID id, BSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    return com::Guarded([&]() -> HRESULT {
        const HRESULT hr = LoadMembers();
        if (FAILED(hr)) return hr;
        const auto found = members_.NameOf(id);
        if (!found) return DISP_E_UNKNOWNNAME;
        return com::ReturnString(*found, name);
    });
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::GetNextDispID(DWORD, DISPID id, DISPID* next) {
    if (!next) return E_POINTER;
    *next = DISPID_UNKNOWN;
    const HRESULT hr = LoadMembers();
    if (FAILED(hr)) return hr;
    const auto found = members_.Next(id);
    if (!found) return S_FALSE;
    *next = *found;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::GetNameSpaceParent(IUnknown**) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    static const CLSID* const kPages[] = {
        &__uuidof(FilterVideoDecoder_PPageAbout), &__uuidof(FilterVideoDecoder_PPagePref),
        &__uuidof(FilterVideoDecoder_PPageStat), &__uuidof(FilterVideoDecoder_PPageProcAmp),
        &__uuidof(FilterVideoDecoder_PPagePlugins),
    };
    constexpr ULONG count = sizeof(kPages) / sizeof(kPages[0]);
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(count * sizeof(GUID)));
    if (!pages->pElems) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    for (ULONG i = 0; i < count; ++i) pages->pElems[i] = *kPages[i];
    pages->cElems = count;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::InterfaceSupportsErrorInfo(REFIID riid) {
    return IsEqualIID(riid, __uuidof(IFilterVideoDecoder)) ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::EnumConnectionPoints(IEnumConnectionPoints** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return com::Guarded([&] {
        return com::CreateSnapshotEnumerator<IEnumConnectionPoints, com::InterfaceCopy<IConnectionPoint>>(
                {com::ComPtr<IConnectionPoint>(&events_)}, out);
    });
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::FindConnectionPoint(REFIID riid, IConnectionPoint** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(riid, __uuidof(_IFilterVideoDecoderEvents))) return CONNECT_E_NOCONNECTION;
    *out = &events_;
    events_.AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    return com::LoadModuleTypeInfo(__uuidof(::FilterVideoDecoder), info);
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = __uuidof(_IFilterVideoDecoderEvents);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::QueryService(REFGUID service, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualGUID(service, __uuidof(IFilterVideoDecoder))) return E_NOINTERFACE;
    return ControllingUnknown()->QueryInterface(riid, ppv);
}

namespace {

com::ComPtr<IAMVideoProcAmp> ProcAmpOf(const com::ComPtr<IVideoDecoderEngine>& decoder) {
    com::ComPtr<IAMVideoProcAmp> procAmp;
    if (decoder) decoder->QueryInterface(IID_IAMVideoProcAmp, procAmp.OutVoid());
    return procAmp;
}

}  // namespace

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::GetRange(LONG Property, LONG* pMin, LONG* pMax, LONG* pSteppingDelta,
                                                       LONG* pDefault, LONG* pCapsFlags) {
    const com::ComPtr<IAMVideoProcAmp> procAmp = ProcAmpOf(Decoder());
    if (!procAmp) return hr::e_not_found;
    return procAmp->GetRange(Property, pMin, pMax, pSteppingDelta, pDefault, pCapsFlags);
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::Set(LONG Property, LONG lValue, LONG Flags) {
    const com::ComPtr<IAMVideoProcAmp> procAmp = ProcAmpOf(Decoder());
    if (!procAmp) return hr::e_not_found;
    return procAmp->Set(Property, lValue, Flags);
}

HRESULT STDMETHODCALLTYPE FilterVideoDecoder::Get(LONG Property, LONG* lValue, LONG* Flags) {
    const com::ComPtr<IAMVideoProcAmp> procAmp = ProcAmpOf(Decoder());
    if (!procAmp) return hr::e_not_found;
    return procAmp->Get(Property, lValue, Flags);
}

}  // namespace tl
