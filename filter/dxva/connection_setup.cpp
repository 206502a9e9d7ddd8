#include "filter/dxva/connection_setup.h"

#include <new>
#include <vector>

#include "filter/dxva/accelerator_adapter.h"

namespace tl {
namespace {

constexpr DWORD kFormatsAsked = 64;

}  // namespace

OutputSubtype DxvaSubtypeOf(const GUID& subtype) {
    if (IsEqualGUID(subtype, dxva::kModeMPEG2_A)) return OutputSubtype::DxvaModeA;
    if (IsEqualGUID(subtype, dxva::kModeMPEG2_B)) return OutputSubtype::DxvaModeB;
    if (IsEqualGUID(subtype, dxva::kModeMPEG2_C)) return OutputSubtype::DxvaModeC;
    if (IsEqualGUID(subtype, dxva::kModeMPEG2_D)) return OutputSubtype::DxvaModeD;
    return OutputSubtype::Other;
}

HRESULT ConfigureDxva(dxva::IAMVideoAccelerator* accelerator, OutputSubtype subtype, dxva::DxvaConnection& result) {
    if (!accelerator) return E_POINTER;
    // Renderers expect to be asked for their GUIDs and their formats first;
    // the answers decide nothing here.
    DWORD count = 0;
    if (HRESULT hr = accelerator->GetVideoAcceleratorGUIDs(&count, nullptr); FAILED(hr)) return hr;
    std::vector<GUID> guids;
    std::vector<DDPIXELFORMAT> formats;
    try {
        guids.resize(count);
        formats.resize(kFormatsAsked);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (count) {
        if (HRESULT hr = accelerator->GetVideoAcceleratorGUIDs(&count, guids.data()); FAILED(hr)) return hr;
    }
    for (DWORD i = 0; i < count && i < guids.size(); ++i) {
        DWORD n = kFormatsAsked;
        accelerator->GetUncompFormatsSupported(&guids[i], &n, formats.data());
    }
    AcceleratorAdapter adapter(accelerator);
    return dxva::configureDxva(adapter, subtype, result);
}

}  // namespace tl
