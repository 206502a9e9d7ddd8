#include "filter/dshow/pin_connection.h"

namespace tl {

PinConnection::PinConnection() { Clear(); }

void PinConnection::Set(IPin* peer, const AM_MEDIA_TYPE& type) {
    type_.Assign(type);
    peer_ = com::ComPtr<IPin>(peer);
}

void PinConnection::Clear() {
    peer_.Reset();
    type_.Clear();
    type_.Get().bFixedSizeSamples = TRUE;
    type_.Get().lSampleSize = 1;
}

void PinConnection::SetSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    segmentStart = start;
    segmentStop = stop;
    segmentRate = rate;
}

HRESULT PinConnection::ConnectedTo(IPin** pin) const {
    if (!pin) return E_POINTER;
    peer_.CopyTo(pin);
    return peer_ ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT PinConnection::ConnectionMediaType(AM_MEDIA_TYPE* type) const {
    if (!type) return E_POINTER;
    const HRESULT hr = CopyMediaType(*type, type_.Get());
    if (FAILED(hr)) return hr;
    return peer_ ? S_OK : VFW_E_NOT_CONNECTED;
}

}  // namespace tl
