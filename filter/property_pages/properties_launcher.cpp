#include "filter/property_pages/properties_launcher.h"

#include <FilterVideoDecoder.h>

#include <dshow.h>
#include <olectl.h>

#include "filter/com/com_ptr.h"
#include "filter/module/server.h"

namespace tl {
namespace {

using com::ComPtr;

class ComScope {
public:
    ComScope() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope() {
        if (ok_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

void ShowPages(HWND owner, IBaseFilter* filter) {
    ComPtr<ISpecifyPropertyPages> specify;
    if (FAILED(filter->QueryInterface(IID_ISpecifyPropertyPages, specify.OutVoid()))) return;
    CAUUID pages{0, nullptr};
    if (FAILED(specify->GetPages(&pages))) return;
    FILTER_INFO info{};
    if (SUCCEEDED(filter->QueryFilterInfo(&info))) {
        if (info.pGraph) info.pGraph->Release();
        IUnknown* objects[] = {filter};
        OleCreatePropertyFrame(owner, 0, 0, info.achName, 1, objects, pages.cElems, pages.pElems, 0, 0, nullptr);
    }
    CoTaskMemFree(pages.pElems);
}

}  // namespace

void ShowFilterProperties(HWND owner) {
    const ComScope com;
    if (!com.ok()) return;
    ComPtr<IGraphBuilder> graph;
    ComPtr<IBaseFilter> filter;
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                graph.OutVoid())) ||
        FAILED(CoCreateInstance(__uuidof(::FilterVideoDecoder), nullptr, CLSCTX_ALL, IID_IBaseFilter,
                                filter.OutVoid())) ||
        FAILED(graph->AddFilter(filter.Get(), kFilterName)))
        return;
    ShowPages(owner, filter.Get());
    ComPtr<IFilterVideoDecoder> settings;
    if (SUCCEEDED(filter->QueryInterface(__uuidof(IFilterVideoDecoder), settings.OutVoid()))) settings->SaveDefaults();
    graph->RemoveFilter(filter.Get());
}

}  // namespace tl
