// What the filter's two pins share: what they hold about their connection, and
// the IPin answers that only read it or end it.
#pragma once
#include <windows.h>

#include <dshow.h>

#include <string>

#include "filter/com/com_ptr.h"
#include "filter/dshow/media_type.h"
#include "filter/dshow/pin_identity.h"

namespace tl {

class FilterVideoDecoder;

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

// "Video In" and "Video Out": sub-objects of the filter that count their
// references there, and connect and disconnect only while it is stopped, under
// its lock.
class DecoderPin : public PinIdentity {
public:
    HRESULT STDMETHODCALLTYPE Disconnect() override;
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* mt) override;
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* mt) override;
    // The stream flows downstream: an output pin is never sent these, and the
    // input pin overrides them.
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;

    IUnknown* Owner();
    bool IsConnected() const { return connection_.IsConnected(); }

protected:
    DecoderPin(FilterVideoDecoder& filter, const wchar_t* name, PIN_DIRECTION direction);
    ~DecoderPin() = default;

    // The types QueryAccept answers S_OK for.
    virtual bool Accepts(const AM_MEDIA_TYPE& mt) = 0;
    // Lets go of what a connection holds besides the peer and its type.
    virtual void ReleaseConnectionResources() { DropAllocator(); }

    // The checks that open Connect and ReceiveConnection, under the filter lock.
    HRESULT CheckConnectable() const;
    // True when `peer` says it has this pin's direction, so the two cannot connect.
    bool FacesSameWay(IPin* peer) const;
    // A system memory allocator in allocator_.
    HRESULT CreateMemoryAllocator();
    void DropAllocator();

    FilterVideoDecoder& filter_;
    PinConnection connection_;
    com::ComPtr<IMemAllocator> allocator_;
};

// A type with its major type and format type given, to be tried as it is
// rather than by walking the candidates.
inline bool IsFullySpecified(const AM_MEDIA_TYPE* mt) {
    return mt && !IsEqualGUID(mt->majortype, GUID_NULL) && !IsEqualGUID(mt->formattype, GUID_NULL);
}

// Hands the types `peer` proposes (its first 100) to `attempt` in order until one
// answers S_OK; true when one did.
template <class Attempt>
bool ConnectWithProposedTypes(IPin* peer, Attempt attempt) {
    constexpr ULONG kTypesPerPass = 100;
    com::ComPtr<IEnumMediaTypes> types;
    if (FAILED(peer->EnumMediaTypes(types.Out())) || !types) return false;
    AM_MEDIA_TYPE* fetched[kTypesPerPass] = {};
    ULONG count = 0;
    types->Next(kTypesPerPass, fetched, &count);
    bool connected = false;
    for (ULONG i = 0; i < count; ++i) {
        if (!connected) connected = attempt(*fetched[i]) == S_OK;
        DeleteMediaType(fetched[i]);
    }
    return connected;
}

// The CLSID of the filter that owns `pin` in its 38-character form, or an empty
// string when the pin or its filter does not say.
std::wstring OwnerClassIdText(IPin* pin);

}  // namespace tl
