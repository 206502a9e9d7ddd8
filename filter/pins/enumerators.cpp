#include "filter/pins/enumerators.h"

#include "filter/com/object.h"

namespace tl {

const com::InterfaceEntry* PinEnumerator::InterfaceMap() {
    static const com::InterfaceEntry map[] = {com::Entry<PinEnumerator, IEnumPins>(), {}};
    return map;
}

HRESULT STDMETHODCALLTYPE PinEnumerator::Next(ULONG count, IPin** pins, ULONG* fetched) {
    if (!pins) return E_POINTER;
    if (count != 1 && !fetched) return E_INVALIDARG;
    ULONG done = 0;
    while (done < count && position_ < pins_.size()) pins_[position_++].CopyTo(&pins[done++]);
    if (fetched) *fetched = done;
    return done == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE PinEnumerator::Skip(ULONG count) {
    const ULONG left = ULONG(pins_.size()) - position_;
    position_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE PinEnumerator::Reset() {
    position_ = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PinEnumerator::Clone(IEnumPins** out) {
    if (!out) return E_POINTER;
    return com::CreateObject<PinEnumerator>(IID_IEnumPins, reinterpret_cast<void**>(out), pins_, position_);
}

const com::InterfaceEntry* MediaTypeEnumerator::InterfaceMap() {
    static const com::InterfaceEntry map[] = {com::Entry<MediaTypeEnumerator, IEnumMediaTypes>(), {}};
    return map;
}

HRESULT STDMETHODCALLTYPE MediaTypeEnumerator::Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) {
    if (!types) return E_POINTER;
    if (count != 1 && !fetched) return E_INVALIDARG;
    ULONG done = 0;
    while (done < count && position_ < types_.size()) {
        AM_MEDIA_TYPE* copy = CreateMediaTypeCopy(types_[position_].Get());
        if (!copy) {
            while (done > 0) DeleteMediaType(types[--done]);
            if (fetched) *fetched = 0;
            return E_OUTOFMEMORY;
        }
        types[done++] = copy;
        ++position_;
    }
    if (fetched) *fetched = done;
    return done == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE MediaTypeEnumerator::Skip(ULONG count) {
    const ULONG left = ULONG(types_.size()) - position_;
    position_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE MediaTypeEnumerator::Reset() {
    position_ = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE MediaTypeEnumerator::Clone(IEnumMediaTypes** out) {
    if (!out) return E_POINTER;
    return com::CreateObject<MediaTypeEnumerator>(IID_IEnumMediaTypes, reinterpret_cast<void**>(out), types_,
                                                  position_);
}

HRESULT CreatePinEnumerator(std::vector<com::ComPtr<IPin>> pins, IEnumPins** out) {
    if (!out) return E_POINTER;
    return com::CreateObject<PinEnumerator>(IID_IEnumPins, reinterpret_cast<void**>(out), std::move(pins), 0ul);
}

HRESULT CreateMediaTypeEnumerator(std::vector<MediaType> types, IEnumMediaTypes** out) {
    if (!out) return E_POINTER;
    return com::CreateObject<MediaTypeEnumerator>(IID_IEnumMediaTypes, reinterpret_cast<void**>(out),
                                                  std::move(types), 0ul);
}

}  // namespace tl
