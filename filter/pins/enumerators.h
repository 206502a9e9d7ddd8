// Snapshot enumerators for EnumPins and EnumMediaTypes.
#pragma once
#include <windows.h>

#include <dshow.h>

#include <vector>

#include "filter/com/com_ptr.h"
#include "filter/com/interface_map.h"
#include "filter/pins/media_type.h"

namespace tl {

class PinEnumerator : public IEnumPins {
public:
    PinEnumerator(std::vector<com::ComPtr<IPin>> pins, ULONG position) : pins_(std::move(pins)), position_(position) {}
    static const com::InterfaceEntry* InterfaceMap();

    HRESULT STDMETHODCALLTYPE Next(ULONG count, IPin** pins, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumPins** out) override;

private:
    std::vector<com::ComPtr<IPin>> pins_;
    ULONG position_;
};

class MediaTypeEnumerator : public IEnumMediaTypes {
public:
    MediaTypeEnumerator(std::vector<MediaType> types, ULONG position) : types_(std::move(types)), position_(position) {}
    static const com::InterfaceEntry* InterfaceMap();

    HRESULT STDMETHODCALLTYPE Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumMediaTypes** out) override;

private:
    std::vector<MediaType> types_;
    ULONG position_;
};

HRESULT CreatePinEnumerator(std::vector<com::ComPtr<IPin>> pins, IEnumPins** out);
HRESULT CreateMediaTypeEnumerator(std::vector<MediaType> types, IEnumMediaTypes** out);

}  // namespace tl
