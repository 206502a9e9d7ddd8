#include "filter/plugins/info_layer/pin_connections.h"

#include <dshow.h>
#include <uuids.h>

#include "filter/com/com_ptr.h"
#include "filter/dxva/dxva_declarations.h"

namespace tl {
namespace {

using com::ComPtr;

std::wstring ConnectionSubtype(IPin* pin) {
    AM_MEDIA_TYPE type{};
    if (FAILED(pin->ConnectionMediaType(&type))) return L"{No type}";
    CoTaskMemFree(type.pbFormat);
    if (type.pUnk) type.pUnk->Release();
    return SubtypeName(type.subtype);
}

std::wstring PeerFilterName(IPin* pin) {
    ComPtr<IPin> peer;
    PIN_INFO info{};
    if (FAILED(pin->ConnectedTo(peer.Out())) || !peer || FAILED(peer->QueryPinInfo(&info))) return L"Not connected";
    ComPtr<IBaseFilter> owner = ComPtr<IBaseFilter>::Attach(info.pFilter);
    FILTER_INFO filterInfo{};
    if (!owner || FAILED(owner->QueryFilterInfo(&filterInfo))) return L"Not connected";
    if (filterInfo.pGraph) filterInfo.pGraph->Release();
    return filterInfo.achName;
}

}  // namespace

std::vector<PinConnection> DescribePins(IFilterVideoDecoder* filter) {
    std::vector<PinConnection> pins;
    ComPtr<IBaseFilter> base;
    ComPtr<IEnumPins> walk;
    if (FAILED(filter->QueryInterface(IID_IBaseFilter, base.OutVoid())) || FAILED(base->EnumPins(walk.Out())))
        return pins;
    ComPtr<IPin> pin;
    while (walk->Next(1, pin.Out(), nullptr) == S_OK) {
        PIN_INFO info{};
        if (FAILED(pin->QueryPinInfo(&info))) continue;
        if (info.pFilter) info.pFilter->Release();
        pins.push_back({info.achName, L"Type:" + ConnectionSubtype(pin.Get()) + L", ConnectedTo:{" +
                                          PeerFilterName(pin.Get()) + L"}"});
    }
    return pins;
}

std::wstring SubtypeName(const GUID& subtype) {
    static const struct {
        const GUID* guid;
        const wchar_t* name;
    } kNames[] = {
        {&dxva::kModeMPEG2_A, L"{DXVA_ModeMPEG2_A}"}, {&dxva::kModeMPEG2_B, L"{DXVA_ModeMPEG2_B}"},
        {&dxva::kModeMPEG2_C, L"{DXVA_ModeMPEG2_C}"}, {&dxva::kModeMPEG2_D, L"{DXVA_ModeMPEG2_D}"},
        {&MEDIASUBTYPE_YUY2, L"{YUY2}"},        {&MEDIASUBTYPE_UYVY, L"{UYVY}"},
        {&MEDIASUBTYPE_YVYU, L"{YVYU}"},        {&MEDIASUBTYPE_YV12, L"{YV12}"},
        {&MEDIASUBTYPE_RGB32, L"{RGB32}"},      {&MEDIASUBTYPE_RGB24, L"{RGB24}"},
        {&MEDIASUBTYPE_RGB555, L"{RGB555}"},    {&MEDIASUBTYPE_RGB565, L"{RGB565}"},
        {&MEDIASUBTYPE_MPEG2_VIDEO, L"{MPEG2_VIDEO}"},
    };
    for (const auto& known : kNames)
        if (IsEqualGUID(subtype, *known.guid)) return known.name;
    wchar_t text[40] = {};
    StringFromGUID2(subtype, text, 40);
    return text;
}

}  // namespace tl
