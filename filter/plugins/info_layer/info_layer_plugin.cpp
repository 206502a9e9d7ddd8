#include "filter/plugins/info_layer/info_layer_plugin.h"

#include <utility>

#include "filter/com/bstr.h"
#include "filter/com/hresult_error.h"

namespace tl {
namespace {

std::int64_t SystemTimeNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

}  // namespace

InfoLayerPlugin::~InfoLayerPlugin() { Stop(); }

const com::InterfaceEntry* InfoLayerPlugin::InterfaceMap() {
    static const com::InterfaceEntry map[] = {
        com::Entry<InfoLayerPlugin, IFilterVideoDecoderPlugin>(),
        {},
    };
    return map;
}

HRESULT STDMETHODCALLTYPE InfoLayerPlugin::Init(IFilterVideoDecoderPluginContext* pContext) {
    if (!pContext) return E_POINTER;
    return com::Guarded([&]() -> HRESULT {
        Stop();
        HRESULT hr = ReadPluginContext(*pContext, &context_);
        if (FAILED(hr)) return hr;
        settings_ = LoadInfoLayerSettings(context_.root, context_.path);
        rate_ = ByteRate();

        // A synchronisation timer: each expiry releases one wait.
        timer_ = CreateWaitableTimerW(nullptr, FALSE, nullptr);
        LARGE_INTEGER due;
        due.QuadPart = -static_cast<LONGLONG>(settings_.refreshMs) * 10000;  // relative, 100 ns units
        if (!timer_ || !SetWaitableTimer(timer_, &due, static_cast<LONG>(settings_.refreshMs), nullptr, nullptr,
                                         FALSE)) {
            hr = HRESULT_FROM_WIN32(GetLastError());
            Stop();
            return FAILED(hr) ? hr : E_FAIL;
        }
        hr = thread_.Start([this](PluginThread& thread) { Run(thread); });
        if (FAILED(hr)) Stop();
        return hr;
    });
}

HRESULT STDMETHODCALLTYPE InfoLayerPlugin::Finit() {
    Stop();
    return S_OK;
}

void InfoLayerPlugin::Stop() {
    thread_.Stop();
    if (timer_) {
        CancelWaitableTimer(timer_);
        CloseHandle(std::exchange(timer_, nullptr));
    }
    context_.site.Reset();
}

HRESULT InfoLayerPlugin::CreateInfoLayer(com::ComPtr<ILayer>* layer) {
    HRESULT hr = CoCreateInstance(__uuidof(::Layer), nullptr, CLSCTX_INPROC_SERVER, __uuidof(ILayer),
                                  layer->OutVoid());
    if (FAILED(hr)) return hr;
    ILayer* l = layer->Get();
    const RECT& v = settings_.viewport;
    hr = l->SetViewPort(v.left, v.top, v.right, v.bottom);
    if (SUCCEEDED(hr)) hr = l->put_BackColor(settings_.backgroundColor);
    if (SUCCEEDED(hr)) hr = l->put_ForeColor(settings_.foregroundColor);
    if (SUCCEEDED(hr))
        hr = l->SetFont(com::Bstr(settings_.fontName).Get(), settings_.fontHeight, settings_.fontWidth,
                        settings_.fontWeight, VARIANT_FALSE, settings_.fontQuality);
    if (SUCCEEDED(hr)) hr = l->put_visible(VARIANT_TRUE);
    com::ComPtr<ILayer> top;
    com::ComPtr<ILayersCollection> children;
    if (SUCCEEDED(hr)) hr = context_.site->get_TopLayer(top.Out());
    if (SUCCEEDED(hr)) hr = top.As(&children);
    if (SUCCEEDED(hr)) hr = children->Add(com::Bstr(context_.name).Get(), l, nullptr);
    return hr;
}

void InfoLayerPlugin::Run(PluginThread& thread) {
    const HRESULT apartment = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    com::ComPtr<ILayer> layer;
    // A layer that cannot be set up ends the thread: no report is ever shown.
    if (SUCCEEDED(com::Guarded([&] { return CreateInfoLayer(&layer); }))) {
        const HANDLE waits[] = {thread.CommandEvent(), timer_};
        while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            com::Guarded([&]() -> HRESULT {
                const std::wstring report = BuildInfoReport(context_.site.Get(), rate_, SystemTimeNow());
                return layer->put_Text(com::Bstr(report).Get());
            });
        }
        thread.Acknowledge();
    }
    layer.Reset();
    if (SUCCEEDED(apartment)) CoUninitialize();
}

}  // namespace tl
