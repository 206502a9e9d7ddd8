// What the filter's two pins share beyond the base pin, and the helpers both
// use to agree on a type with a peer.
#pragma once
#include <windows.h>

#include <dshow.h>

#include <string>

#include "filter/com/com_ptr.h"
#include "filter/dshow/base_pin.h"
#include "filter/dshow/media_type.h"

namespace tl {

class FilterVideoDecoder;

// "Video In" and "Video Out": sub-objects of the filter that count their
// references there (the filter's controlling unknown, so aggregation holds).
class DecoderPin : public BasePin {
public:
    // The stream flows downstream: an output pin is never sent these, and the
    // input pin overrides them.
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;

    IUnknown* Owner() const override;

protected:
    DecoderPin(FilterVideoDecoder& filter, const wchar_t* name, PIN_DIRECTION direction);
    ~DecoderPin() = default;

    void BreakConnect() override { DropAllocator(); }

    // A system memory allocator in allocator_.
    HRESULT CreateMemoryAllocator();
    void DropAllocator();

    FilterVideoDecoder& filter_;
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
