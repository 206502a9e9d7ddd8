// The IPin answers that only say who a pin is: its name, its direction and the
// filter it belongs to. The filter's pins, tlvplay's pins and the tests' pins all
// answer them this way.
#pragma once
#include <windows.h>

#include <strmif.h>

namespace tl {

// `name` in task memory, as QueryId and QueryVendorInfo hand strings out.
HRESULT CopyPinId(const wchar_t* name, LPWSTR* id);

class PinIdentity : public IPin {
public:
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override;
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* direction) override;
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) override;
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin** pins, ULONG* count) override;

protected:
    // `name` must outlive the pin (a string literal).
    PinIdentity(IBaseFilter* filter, const wchar_t* name, PIN_DIRECTION direction)
        : owner_(filter), name_(name), direction_(direction) {}
    ~PinIdentity() = default;

    PIN_DIRECTION Direction() const { return direction_; }

private:
    IBaseFilter* owner_;
    const wchar_t* name_;
    PIN_DIRECTION direction_;
};

}  // namespace tl
