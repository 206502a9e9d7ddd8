// The filter object: "Video In" and "Video Out" around a decoder object created
// each time the filter leaves Stopped, with the settings behind an automation
// interface.
//
// Locks, in the order they may be taken:
//   1. the filter lock (BaseFilter::Lock): state changes, JoinFilterGraph, pin
//      connection and disconnection, the input pin's allocator calls.
//   2. the plug-in lock (PluginHost): loading under the filter lock; unloading
//      without it, since Finit waits for plug-in threads that may call the pins.
//   3. streamLock_: the hand-over of the decoder pointer to the streaming
//      thread. Held only to copy or replace the pointer, never across a call.
// The decoder's worker calls IVideoDecoderHost without either lock; the
// settings are read and written without a lock (see setting_value.h).
#pragma once
#include <FilterVideoDecoder.h>

#include <ocidl.h>
#include <servprov.h>
#include <dshow.h>
#include <dvdmedia.h>
#include <dispex.h>
#include <activscp.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "engine/dxva/connection_setup.h"
#include "filter/com/com_ptr.h"
#include "filter/com/dual.h"
#include "filter/com/interface_map.h"
#include "filter/com/object.h"
#include "filter/decoder/video_decoder_engine.h"
#include "filter/dshow/base_filter.h"
#include "filter/filter/event_connection_point.h"
#include "filter/filter/host_callbacks.h"
#include "filter/filter/member_table.h"
#include "filter/pins/input_pin.h"
#include "filter/pins/output_pin.h"
#include "filter/plugins/host/plugin_host.h"
#include "filter/settings/filter_settings.h"

namespace tl {

// get_ and put_ of an automation property of type T.
#define TL_DECLARE_PROPERTY(Name, T)                        \
    HRESULT STDMETHODCALLTYPE get_##Name(T* pVal) override; \
    HRESULT STDMETHODCALLTYPE put_##Name(T newVal) override

class FilterVideoDecoder : public BaseFilter,
                           public com::Dual<IFilterVideoDecoder>,
                           public IDispatchEx,
                           public ISupportErrorInfo,
                           public IConnectionPointContainer,
                           public IProvideClassInfo2,
                           public ISpecifyPropertyPages,
                           public IServiceProvider,
                           public IActiveScriptSite,
                           public IActiveScriptSiteInterruptPoll,
                           public IActiveScriptSiteWindow,
                           public IAMVideoProcAmp {
public:
    FilterVideoDecoder();
    ~FilterVideoDecoder();
    FilterVideoDecoder(const FilterVideoDecoder&) = delete;
    FilterVideoDecoder& operator=(const FilterVideoDecoder&) = delete;
    HRESULT FinalConstruct();
    static const com::InterfaceEntry* InterfaceMap();
    virtual IUnknown* ControllingUnknown() = 0;

    // IBaseFilter: joining a graph loads the plug-ins, leaving it unloads them.
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* info) override;

    // IFilterVideoDecoder
    HRESULT STDMETHODCALLTYPE get_Version(BSTR* pVal) override;
    TL_DECLARE_PROPERTY(Deinterlace, tagDEINTERLACE);
    TL_DECLARE_PROPERTY(CPUFeatureSSE, VARIANT_BOOL);
    TL_DECLARE_PROPERTY(CPUFeatureSSE2, VARIANT_BOOL);
    TL_DECLARE_PROPERTY(CPUFeatureSSE3, VARIANT_BOOL);
    TL_DECLARE_PROPERTY(DXVA, VARIANT_BOOL);
    TL_DECLARE_PROPERTY(AlwaysDeinterlace, VARIANT_BOOL);
    TL_DECLARE_PROPERTY(ColorCorrection, VARIANT_BOOL);
    TL_DECLARE_PROPERTY(FrameSkipping, VARIANT_BOOL);
    TL_DECLARE_PROPERTY(ErrorConcealment, VARIANT_BOOL);
    TL_DECLARE_PROPERTY(FrameSkippingTolerance, unsigned int);
    TL_DECLARE_PROPERTY(UseHadwareAcceleratedDeinterlace, VARIANT_BOOL);
    TL_DECLARE_PROPERTY(OutputTypesPriority, BSTR);
    TL_DECLARE_PROPERTY(OutputTypesPriorityHW, BSTR);
    TL_DECLARE_PROPERTY(OutputTypesPriorityDXVA, BSTR);
    TL_DECLARE_PROPERTY(OutputConnectionAllowList, BSTR);
    TL_DECLARE_PROPERTY(OutputConnectionDenyList, BSTR);
    TL_DECLARE_PROPERTY(AspectRatioX, unsigned int);
    TL_DECLARE_PROPERTY(AspectRatioY, unsigned int);
    HRESULT STDMETHODCALLTYPE get_RendererLateness(hyper* pVal) override;
    HRESULT STDMETHODCALLTYPE get_UndeliveredFrames(long* pVal) override;
    HRESULT STDMETHODCALLTYPE get_TopLayer(ILayer** pVal) override;
    HRESULT STDMETHODCALLTYPE get_decoder(IDispatch** pVal) override;
    HRESULT STDMETHODCALLTYPE CreateLayer(ILayer** ppLayer) override;
    HRESULT STDMETHODCALLTYPE Sleep(unsigned int dwMilliseconds) override;
    HRESULT STDMETHODCALLTYPE SaveDefaults() override;

    // IDispatch, one implementation for IFilterVideoDecoder and IDispatchEx
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

    // IDispatchEx: the type information's members plus dynamic ones
    HRESULT STDMETHODCALLTYPE GetDispID(BSTR name, DWORD flags, DISPID* id) override;
    HRESULT STDMETHODCALLTYPE InvokeEx(DISPID id, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                       EXCEPINFO* exception, IServiceProvider* caller) override;
    HRESULT STDMETHODCALLTYPE DeleteMemberByName(BSTR name, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE DeleteMemberByDispID(DISPID id) override;
    HRESULT STDMETHODCALLTYPE GetMemberProperties(DISPID id, DWORD fetch, DWORD* properties) override;
    HRESULT STDMETHODCALLTYPE GetMemberName(DISPID id, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE GetNextDispID(DWORD flags, DISPID id, DISPID* next) override;
    HRESULT STDMETHODCALLTYPE GetNameSpaceParent(IUnknown** parent) override;

    // ISpecifyPropertyPages
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override;

    // IProvideClassInfo2
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override;

    // IServiceProvider
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID riid, void** ppv) override;

    // The script site for engines a plug-in runs against the filter, whose only
    // named item is "filter" (script_site.cpp).
    HRESULT STDMETHODCALLTYPE GetLCID(LCID* plcid) override;
    HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR pstrName, DWORD dwReturnMask, IUnknown** ppiunkItem,
                                          ITypeInfo** ppti) override;
    HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR* pbstrVersion) override;
    HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT* pvarResult, const EXCEPINFO* pexcepinfo) override;
    HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE ssScriptState) override;
    HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* pscripterror) override;
    HRESULT STDMETHODCALLTYPE OnEnterScript() override;
    HRESULT STDMETHODCALLTYPE OnLeaveScript() override;
    HRESULT STDMETHODCALLTYPE QueryContinue() override;
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL fEnable) override;

    // IAMVideoProcAmp, forwarded to the decoder
    HRESULT STDMETHODCALLTYPE GetRange(LONG Property, LONG* pMin, LONG* pMax, LONG* pSteppingDelta, LONG* pDefault,
                                       LONG* pCapsFlags) override;
    HRESULT STDMETHODCALLTYPE Set(LONG Property, LONG lValue, LONG Flags) override;
    HRESULT STDMETHODCALLTYPE Get(LONG Property, LONG* lValue, LONG* Flags) override;

    // For the pins and the decoder callbacks.
    std::recursive_mutex& FilterLock() { return Lock(); }
    FilterSettings& Settings() { return settings_; }
    VIDEOINFOHEADER2& CurrentFormat() { return currentFormat_; }
    // What the last DirectX VA connection agreed with the renderer's accelerator.
    dxva::DxvaConnection& Dxva() { return dxva_; }
    bool H264Input() const { return h264Input_; }
    void SetH264Input(bool h264) { h264Input_ = h264; }
    void SetRendererLateness(REFERENCE_TIME late) { rendererLateness_.store(late); }
    com::ComPtr<IVideoDecoderEngine> Decoder();
    IUnknown* SeekingPassThrough() const { return seekingPassThrough_.Get(); }
    OutputPin& Output() { return output_; }
    IBaseFilter* AsBaseFilter() { return this; }

protected:
    std::vector<IPin*> Pins() override;
    // Leaving Stopped commits the output allocator and creates the decoder object;
    // stopping decommits first, which releases a worker waiting for an output
    // buffer, so the decoder's worker can end within Uninit.
    HRESULT OnActivate() override;
    void OnDeactivate() override;

private:
    HRESULT CreateDecoder();
    void ReleaseDecoder();
    HRESULT LoadMembers();
    void AddPluginMember(const std::wstring& name, IDispatch* plugin);

    std::atomic<bool> inGraph_{false};  // read by script engines polling QueryContinue
    com::ComPtr<ILayer> topLayer_;

    FilterSettings settings_;
    com::Embedded<InputPin> input_;
    OutputPin output_;
    com::Embedded<HostCallbacks> hostCallbacks_;
    com::Embedded<EventConnectionPoint> events_;
    com::ComPtr<IUnknown> seekingPassThrough_;

    std::mutex streamLock_;
    com::ComPtr<IVideoDecoderEngine> decoder_;

    MemberTable members_;
    PluginHost plugins_;

    std::atomic<REFERENCE_TIME> rendererLateness_{0};
    bool h264Input_ = false;
    VIDEOINFOHEADER2 currentFormat_;
    dxva::DxvaConnection dxva_;
};

#undef TL_DECLARE_PROPERTY

}  // namespace tl
