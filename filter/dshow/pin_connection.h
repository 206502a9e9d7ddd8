// What a pin holds about its connection: the peer, a copy of the agreed type
// and the segment the upstream side announced.
#pragma once
#include <windows.h>

#include <strmif.h>

#include "filter/com/com_ptr.h"
#include "filter/dshow/media_type.h"

namespace tl {

class PinConnection {
public:
    PinConnection();

    bool IsConnected() const { return static_cast<bool>(peer_); }
    IPin* Peer() const { return peer_.Get(); }
    const MediaType& Type() const { return type_; }
    MediaType& Type() { return type_; }

    // Keeps the peer and a copy of its type.
    void Set(IPin* peer, const AM_MEDIA_TYPE& type);
    // Back to unconnected: no peer, the zeroed type with fixed-size samples of 1 byte.
    void Clear();
    void SetSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

    HRESULT ConnectedTo(IPin** pin) const;
    HRESULT ConnectionMediaType(AM_MEDIA_TYPE* type) const;

    REFERENCE_TIME segmentStart = 0;
    REFERENCE_TIME segmentStop = 0;
    double segmentRate = 1.0;

private:
    com::ComPtr<IPin> peer_;
    MediaType type_;
};

}  // namespace tl
